#pragma once

#include <QDialog>
#include <array>

class QComboBox;
class QLineEdit;

namespace promptkit {

class CAMSAlphanumericEdit;
class CColorEdit;

// The file-name pattern editor: five rows of a field kind and its value, a preview of the field tags
// and the pattern built from the values. Values cannot hold '<' or '>', which would not parse back.
class CDlgFileNameField : public QDialog {
public:
    enum : int { IDD = 109, IDC_PREVIEW = 1052, IDC_HELP = 1027, IDOK = 1, IDCANCEL = 2 };
    static constexpr std::array<int, 5> kListIds{1047, 1048, 1049, 1050, 1051};
    static constexpr std::array<int, 5> kValueIds{1023, 1024, 1025, 1026, 1028};

    CDlgFileNameField(QWidget* parent, const QString& pattern);

    QString Pattern() const { return m_pattern; }
    QString Preview() const;

    void accept() override;

private:
    void ApplySelection(int row);
    void OnValueEdited(int row);
    void RebuildPreview();
    void RebuildPattern();

    std::array<QComboBox*, 5> m_lists{};
    std::array<CAMSAlphanumericEdit*, 5> m_values{};
    std::array<QString, 5> m_tags;
    CColorEdit* m_preview = nullptr;
    QString m_pattern;
};

} // namespace promptkit
