#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

namespace startscreen {

// The start-up splash window: its picture, centred on the screen, with the version text on it.
class CSplashWnd : public QWidget {
public:
    static constexpr const char* kTitle = "TORVANE TECHNOLOGIES SPLASH";

    explicit CSplashWnd(const QString& text);

    QString Text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QPixmap m_bitmap;
};

} // namespace startscreen
