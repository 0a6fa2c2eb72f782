#pragma once

#include <QDialog>

namespace infobox {

class CGradientStatic;
class CXHyperLink;
class CxStatic;

// The about box: banner, caption band, product and version lines, the maker's web and mail links
// and the legal notice.
class CDlgAbout : public QDialog {
public:
    enum : int {
        IDD = 106,
        IDC_SYSINFO = 5,
        IDC_WEBLINK = 1008,
        IDC_MAILLINK = 1009,
        IDC_CAPTION = 27011,
        IDC_BANNER = 27012,
        IDI_ABOUT = 27012,
        IDB_BANNER = 27013,
    };
    static constexpr const char* kWebAddress = "https://torvane.example/";
    static constexpr const char* kMailAddress = "mailto:support@torvane.example";

    explicit CDlgAbout(QWidget* parent = nullptr);

    // The infobox texts by id, Chinese built in; a language library may replace them.
    static void RegisterStrings();

protected:
    void showEvent(QShowEvent* event) override;

private:
    CXHyperLink* m_webLink;
    CXHyperLink* m_mailLink;
    CxStatic* m_banner;
    CGradientStatic* m_caption;
};

} // namespace infobox
