#pragma once

#include <QPointer>
#include <QRect>
#include <QString>
#include <QStyle>

class QPainter;
class QWidget;

namespace controls {

// Visual-style drawing bound at run time. The style plays the part of the theme library: without
// one every call falls back (E_FAIL, not themed) and the buttons draw themselves plainly.
class CThemeHelperST {
public:
    using HRESULT = long;
    static constexpr HRESULT S_OK = 0;
    static constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005L);
    // Theme parts and states of a push or tool button.
    enum : int { BP_PUSHBUTTON = 1 };
    enum : int { PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5 };

    // An open theme: the class it was opened for, drawn with the helper's style.
    struct HTHEME {
        QString className;
        bool IsValid() const { return !className.isEmpty(); }
    };

    // Follows the style the widgets draw with, which the application may replace at any time.
    CThemeHelperST();
    // Uses the given style for as long as it lives; null makes a helper without theme.
    explicit CThemeHelperST(QStyle* style);

    bool IsAppThemed() const;
    // "BUTTON" and "TOOLBAR" open; any other class, or no style, gives an invalid theme.
    HTHEME OpenThemeData(QWidget* widget, const QString& className) const;
    HRESULT CloseThemeData(HTHEME& theme) const;
    HRESULT DrawThemeBackground(const HTHEME& theme, QPainter& painter, int part, int state,
                                const QRect& rect, const QWidget* widget) const;
    // The parent shows through a widget that does not fill its background, so this only checks the call.
    HRESULT DrawThemeParentBackground(const QWidget* widget, QPainter& painter, const QRect& rect) const;

private:
    // The style in use for the widget (the application's when there is none), null without theme.
    QStyle* Style(const QWidget* widget = nullptr) const;

    bool m_followApplication = false;
    QPointer<QStyle> m_style;
};

} // namespace controls
