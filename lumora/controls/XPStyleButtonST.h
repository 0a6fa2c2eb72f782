#pragma once

#include "ButtonST.h"

namespace controls {

class CThemeHelperST;

// A CButtonST whose background is drawn by the owner's theme when the application is themed, and
// plainly (the CButtonST background and border) otherwise.
class CXPStyleButtonST : public CButtonST {
public:
    explicit CXPStyleButtonST(QWidget* parent = nullptr, unsigned style = BS_PUSHBUTTON);

    // The owner keeps the helper alive as long as the button; null draws plainly.
    void SetThemeHelper(CThemeHelperST* helper);
    // Tool buttons draw with the "TOOLBAR" theme class, others with "BUTTON".
    void DrawAsToolbar(bool toolbar, bool repaint = true);
    bool IsToolbar() const { return m_toolbar; }

protected:
    void PaintBackground(QPainter& painter, const QRect& rect) override;
    void PaintBorder(QPainter& painter, const QRect& rect) override;

private:
    bool Themed() const;

    CThemeHelperST* m_themeHelper = nullptr;
    bool m_toolbar = false;
};

} // namespace controls
