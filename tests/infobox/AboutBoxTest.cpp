// The about box and its controls: links that open only web and mail addresses, the gradient band,
// and the banner picture static.
#include "dialogs/infobox/DlgAbout.h"
#include "dialogs/infobox/GradientStatic.h"
#include "dialogs/infobox/InfoBox.h"
#include "dialogs/infobox/XHyperLink.h"
#include "dialogs/infobox/xStatic.h"
#include "platform/ControlId.h"
#include "platform/MessageTarget.h"
#include "platform/RegisteredMessage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "infobox_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qApp : new QApplication(argc, argv);
    return *app;
}

// Stands in for the desktop's handlers of each scheme, through Qt's own hook.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    CUrlRecorder() {
        for (const char* scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
    ~CUrlRecorder() override {
        for (const char* scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QStringList m_opened;

public slots:
    void Open(const QUrl& url) { m_opened.append(url.toString()); }

private:
    static constexpr const char* kSchemes[] = {"http", "https", "mailto", "file", "javascript", "ftp"};
};

TEST(HyperLink, OpensOnlyWebAndMailAddresses) {
    App();
    CUrlRecorder recorder;
    struct Case {
        const char* name;
        const char* url;
        bool opens;
    };
    const Case cases[] = {
        {"web page", "https://torvane.example/", true},
        {"plain web page", "http://torvane.example/support", true},
        {"mail", "mailto:support@torvane.example", true},
        {"empty", "", false},
        {"local file", "file:///etc/passwd", false},
        {"script", "javascript:alert(1)", false},
        {"program name", "calc.exe", false},
        {"shell text", "http://x.example/;rm -rf ~", false},
        {"web without host", "http://", false},
        {"other scheme", "ftp://torvane.example/", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        recorder.m_opened.clear();
        infobox::CXHyperLink link;
        link.setText(QStringLiteral("link"));
        link.SetURL(QString::fromUtf8(c.url));
        link.show();
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(link.GetVisited(), c.opens);
        EXPECT_EQ(recorder.m_opened.size(), c.opens ? 1 : 0);
        if (c.opens && !recorder.m_opened.isEmpty()) {
            EXPECT_EQ(QUrl(recorder.m_opened.front()), QUrl(QString::fromUtf8(c.url)));
        }
        EXPECT_EQ(link.CurrentColor(), controls::ToQColor(c.opens ? infobox::CXHyperLink::kVisitedColor
                                                                  : infobox::CXHyperLink::kLinkColor));
    }
}

// A later click that fails clears the visited state; the parent hears of every click by the
// registered message when it asked to.
TEST(HyperLink, AFailedClickUnvisitsAndTheParentIsTold) {
    App();
    CUrlRecorder recorder;
    struct CParent : QWidget, platform::CMessageTarget {
        platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                    platform::LPARAM) override {
            if (message == infobox::CXHyperLink::ClickedMessage())
                ids.push_back(static_cast<int>(wParam));
            return 0;
        }
        std::vector<int> ids;
    } parent;
    auto* link = new infobox::CXHyperLink(&parent);
    platform::SetControlId(link, 1008);
    link->setText(QStringLiteral("link"));
    link->SetURL(QStringLiteral("https://torvane.example/"));
    parent.show();
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(link->GetVisited());
    EXPECT_TRUE(parent.ids.empty());
    link->SetNotifyParent(true);
    link->SetURL(QStringLiteral("javascript:alert(1)"));
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(link->GetVisited());
    EXPECT_EQ(link->CurrentColor(), controls::ToQColor(infobox::CXHyperLink::kLinkColor));
    EXPECT_EQ(parent.ids, std::vector<int>{1008});
    EXPECT_EQ(infobox::CXHyperLink::ClickedMessage(),
              platform::RegisterWindowMessage(QStringLiteral("WM_XHYPERLINK_CLICKED")));
}

TEST(HyperLink, BackgroundColourAndTooltipFlag) {
    App();
    infobox::CXHyperLink link;
    link.setText(QStringLiteral("link"));
    link.SetURL(QStringLiteral("https://torvane.example/"));
    link.SetBackgroundColour(controls::RGB(0xEF, 0xF4, 0xF8));
    EXPECT_EQ(link.grab().toImage().pixelColor(0, 0), QColor(0xEF, 0xF4, 0xF8));
    link.EnableTooltip(false);
    EXPECT_TRUE(link.toolTip().isEmpty());
    link.EnableTooltip(true);
    EXPECT_EQ(link.toolTip(), QStringLiteral("https://torvane.example/"));
    link.SetNewWindow(true);
    EXPECT_TRUE(link.GetNewWindow());
}

TEST(HyperLink, EmptyTextTakesTheAddressAndTheTipShowsIt) {
    App();
    infobox::CXHyperLink link;
    link.SetURL(QStringLiteral("https://torvane.example/"));
    EXPECT_EQ(link.text(), QStringLiteral("https://torvane.example/"));
    EXPECT_EQ(link.toolTip(), QStringLiteral("https://torvane.example/"));
}

// Sets an environment variable for the scope, as it was afterwards.
class CEnvironment {
public:
    CEnvironment(const char* name, const QString& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, value.toUtf8());
    }
    ~CEnvironment() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// The new-window flag opens a web link through the default browser's "new-window" action; a browser
// without one, a mail link and a link without the flag open as the desktop opens any link.
TEST(HyperLink, TheNewWindowFlagAsksTheBrowserForANewWindow) {
    App();
    CUrlRecorder recorder;
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config"));
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString marker = dir.filePath(QStringLiteral("browser-arguments"));
    ASSERT_TRUE(QDir().mkpath(config));
    ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/applications")));
    const CEnvironment environment[] = {{"XDG_CONFIG_HOME", config},
                                        {"XDG_CONFIG_DIRS", dir.filePath(QStringLiteral("none"))},
                                        {"XDG_DATA_HOME", data},
                                        {"XDG_DATA_DIRS", dir.filePath(QStringLiteral("none"))}};
    const QString browser = dir.filePath(QStringLiteral("browser.sh"));
    {
        QFile script(browser);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral(
                         "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '%1.part'\nmv '%1.part' '%1'\n")
                         .arg(marker)
                         .toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeUser);
    }
    const auto writeFile = [](const QString& path, const QString& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    };
    writeFile(config + QStringLiteral("/mimeapps.list"),
              QStringLiteral(
                  "[Default Applications]\nx-scheme-handler/https=test-browser.desktop;other.desktop\n"));
    const QString entry = data + QStringLiteral("/applications/test-browser.desktop");
    const QString withAction =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Test\nExec=\"%1\" %u\nActions=new-window;\n\n"
                       "[Desktop Action new-window]\nName=New Window\nExec=\"%1\" --new-window %u\n")
            .arg(browser);
    const QString withoutAction =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Test\nExec=\"%1\" %u\n").arg(browser);
    const struct {
        const char* name;
        const char* url;
        bool newWindow;
        const QString* desktopEntry;
        bool toBrowser; // the new-window action ran, else the desktop's opener
    } rows[] = {
        {"web link in a new window", "https://torvane.example/", true, &withAction, true},
        {"web link", "https://torvane.example/", false, &withAction, false},
        {"browser without the action", "https://torvane.example/", true, &withoutAction, false},
        {"mail link", "mailto:support@torvane.example", true, &withAction, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeFile(entry, *row.desktopEntry);
        QFile::remove(marker);
        recorder.m_opened.clear();
        infobox::CXHyperLink link;
        link.setText(QStringLiteral("link"));
        link.SetURL(QString::fromLatin1(row.url));
        link.SetNewWindow(row.newWindow);
        link.show();
        QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_TRUE(link.GetVisited());
        if (row.toBrowser) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 60000));
            QFile arguments(marker);
            ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
            EXPECT_EQ(QString::fromUtf8(arguments.readAll()),
                      QStringLiteral("--new-window\n") + QString::fromLatin1(row.url) + u'\n');
            EXPECT_TRUE(recorder.m_opened.isEmpty());
        } else {
            EXPECT_EQ(recorder.m_opened, QStringList{QString::fromLatin1(row.url)});
        }
    }
}

// A pipe where the default-applications list belongs is not read (nothing would ever write it): the
// link opens at once, as the desktop opens any link.
TEST(HyperLink, APipeForTheApplicationsListDoesNotHoldTheClick) {
    App();
    CUrlRecorder recorder;
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkpath(config));
    const CEnvironment environment[] = {{"XDG_CONFIG_HOME", config},
                                        {"XDG_CONFIG_DIRS", dir.filePath(QStringLiteral("none"))},
                                        {"XDG_DATA_HOME", dir.filePath(QStringLiteral("none"))},
                                        {"XDG_DATA_DIRS", dir.filePath(QStringLiteral("none"))}};
    ASSERT_EQ(::mkfifo(QFile::encodeName(config + QStringLiteral("/mimeapps.list")).constData(), 0600), 0);
    infobox::CXHyperLink link;
    link.setText(QStringLiteral("link"));
    link.SetURL(QStringLiteral("https://torvane.example/"));
    link.SetNewWindow(true);
    link.show();
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(recorder.m_opened, QStringList{QStringLiteral("https://torvane.example/")});
}

QColor PixelAt(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixelColor(x, y);
}

bool Near(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6 &&
           std::abs(a.blue() - b.blue()) <= 6;
}

TEST(GradientStatic, EndColoursOnTheirEdges) {
    App();
    for (bool vertical : {false, true}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        infobox::CGradientStatic band;
        band.resize(200, 60);
        band.SetColor(0xD09982);
        band.SetGradientColor(0xF8F4EF);
        band.SetVertical(vertical);
        const QPoint last = vertical ? QPoint(100, 59) : QPoint(199, 30);
        EXPECT_TRUE(Near(PixelAt(band, 0, 0), controls::ToQColor(0xD09982)));
        EXPECT_TRUE(Near(PixelAt(band, last.x(), last.y()), controls::ToQColor(0xF8F4EF)));
    }
}

QPixmap Checked(int width, int height) {
    QPixmap picture(width, height);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::red);
    painter.drawLine(width - 1, 0, width - 1, height - 1);
    painter.setPen(Qt::blue);
    painter.drawLine(0, height - 1, width - 2, height - 1);
    return picture;
}

// The same picture set twice, then another: each is kept by value, and the control shows the
// picture's last row and column.
TEST(BannerStatic, PictureKeptByValueWithItsLastRowAndColumn) {
    App();
    infobox::CxStatic banner;
    const QPixmap picture = Checked(40, 20);
    banner.SetBitmap(picture, false);
    banner.SetBitmap(picture, false);
    EXPECT_EQ(banner.size(), QSize(40, 20));
    const QImage shown = banner.grab().toImage();
    EXPECT_EQ(shown.pixelColor(39, 5), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(5, 19), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::white));

    banner.SetBitmap(Checked(10, 10), true);
    EXPECT_EQ(banner.size(), QSize(40, 20));
}

// The banner takes one ".bmp" file dropped on it, whatever the extension's case, as the prompt
// library's picture static does; any other drop leaves its picture.
TEST(BannerStatic, TakesOneDroppedBitmapFile) {
    App();
    QTemporaryDir dir;
    const QString lower = dir.filePath(QStringLiteral("dropped.bmp"));
    const QString upper = dir.filePath(QStringLiteral("DROPPED.BMP"));
    const QString other = dir.filePath(QStringLiteral("dropped.png"));
    ASSERT_TRUE(Checked(8, 8).save(lower, "BMP"));
    ASSERT_TRUE(Checked(8, 8).save(upper, "BMP"));
    ASSERT_TRUE(Checked(8, 8).save(other, "PNG"));
    const QString damaged = dir.filePath(QStringLiteral("damaged.bmp"));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write("BM not a bitmap"), 15);
    }
    const struct {
        const char* name;
        QList<QUrl> urls;
        bool offered;         // the drag is let in (one local .bmp)
        const QString* taken; // the file shown afterwards; null: none
    } rows[] = {
        {"one bitmap", {QUrl::fromLocalFile(lower)}, true, &lower},
        {"one bitmap in capitals", {QUrl::fromLocalFile(upper)}, true, &upper},
        {"a damaged bitmap", {QUrl::fromLocalFile(damaged)}, true, nullptr},
        {"two bitmaps", {QUrl::fromLocalFile(lower), QUrl::fromLocalFile(upper)}, false, nullptr},
        {"another picture type", {QUrl::fromLocalFile(other)}, false, nullptr},
        {"not a local file", {QUrl(QStringLiteral("https://torvane.example/b.bmp"))}, false, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        infobox::CxStatic banner;
        ASSERT_TRUE(banner.LoadFromResource(infobox::CDlgAbout::IDB_BANNER, false));
        EXPECT_TRUE(banner.acceptDrops());
        QMimeData data;
        data.setUrls(row.urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&banner, &enter);
        EXPECT_EQ(enter.isAccepted(), row.offered);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setAccepted(false);
        QApplication::sendEvent(&banner, &drop);
        // The source is told the drop was taken only when the picture was.
        EXPECT_EQ(drop.isAccepted(), row.taken != nullptr);
        EXPECT_EQ(banner.FileName(), row.taken != nullptr ? *row.taken : QString());
        EXPECT_EQ(banner.ResourceId(), row.taken != nullptr ? -1 : int(infobox::CDlgAbout::IDB_BANNER));
    }
}

TEST(BannerStatic, PicturesByIdAndFromFiles) {
    App();
    infobox::CxStatic banner;
    ASSERT_TRUE(banner.LoadFromResource(infobox::CDlgAbout::IDB_BANNER, false));
    EXPECT_EQ(banner.ResourceId(), infobox::CDlgAbout::IDB_BANNER);
    EXPECT_EQ(banner.size(), infobox::CxStatic::ResourcePicture(infobox::CDlgAbout::IDB_BANNER).size());
    EXPECT_FALSE(banner.LoadFromResource(4242, false));
    EXPECT_EQ(banner.ResourceId(), infobox::CDlgAbout::IDB_BANNER);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("banner.bmp"));
    ASSERT_TRUE(Checked(8, 8).save(file, "BMP"));
    ASSERT_TRUE(banner.LoadFromFile(file));
    EXPECT_EQ(banner.ResourceId(), -1);
    EXPECT_EQ(banner.FileName(), file);
    EXPECT_FALSE(banner.LoadFromFile(dir.filePath(QStringLiteral("missing.bmp"))));
    EXPECT_EQ(banner.FileName(), file);
}

void CloseActiveDialogWith(bool accept) {
    QTimer::singleShot(50, [accept] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = dynamic_cast<infobox::CDlgAbout*>(window); dialog && dialog->isVisible()) {
                auto* ok = platform::FindControl<QPushButton>(dialog, 1);
                if (accept && ok != nullptr)
                    ok->click();
                else
                    dialog->reject();
            }
        }
    });
}

// Each link is as wide as its text: a click beside the text, within the dialog's width, opens nothing.
TEST(AboutBox, LinksAreAsWideAsTheirText) {
    App();
    CUrlRecorder recorder;
    infobox::CDlgAbout about;
    about.show();
    for (int id : {int(infobox::CDlgAbout::IDC_WEBLINK), int(infobox::CDlgAbout::IDC_MAILLINK)}) {
        SCOPED_TRACE(id);
        auto* link = platform::FindControl<infobox::CXHyperLink>(&about, id);
        ASSERT_NE(link, nullptr);
        const int text = link->fontMetrics().horizontalAdvance(link->text());
        EXPECT_LE(link->width(), text + 4);
        EXPECT_GE(link->width(), text);
        EXPECT_LT(link->width() * 2, about.width());
        recorder.m_opened.clear();
        const QPoint beside = link->mapTo(&about, QPoint(link->width() + 20, link->height() / 2));
        QWidget* under = about.childAt(beside);
        if (under != nullptr)
            QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(&about, beside));
        EXPECT_TRUE(recorder.m_opened.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, link->height() / 2));
        EXPECT_EQ(recorder.m_opened.size(), 1);
    }
}

TEST(AboutBox, ResultByTheButtonThatClosedIt) {
    App();
    CloseActiveDialogWith(true);
    EXPECT_EQ(ShowAboutDialog(nullptr), 1);
    CloseActiveDialogWith(false);
    EXPECT_EQ(ShowAboutDialog(nullptr), 0);
}

TEST(AboutBox, LinksBannerAndCaption) {
    App();
    infobox::CDlgAbout about;
    auto* web = platform::FindControl<infobox::CXHyperLink>(&about, infobox::CDlgAbout::IDC_WEBLINK);
    auto* mail = platform::FindControl<infobox::CXHyperLink>(&about, infobox::CDlgAbout::IDC_MAILLINK);
    auto* banner = platform::FindControl<infobox::CxStatic>(&about, infobox::CDlgAbout::IDC_BANNER);
    ASSERT_NE(web, nullptr);
    ASSERT_NE(mail, nullptr);
    ASSERT_NE(banner, nullptr);
    EXPECT_TRUE(web->GetURL().startsWith(QStringLiteral("https://")));
    EXPECT_TRUE(mail->GetURL().startsWith(QStringLiteral("mailto:")));
    EXPECT_TRUE(banner->HasBitmap());
    EXPECT_EQ(banner->ResourceId(), infobox::CDlgAbout::IDB_BANNER);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于"));
    // The library's icon 27012, not the banner picture.
    EXPECT_EQ(about.windowIcon().pixmap(32, 32).toImage(),
              infobox::CxStatic::ResourcePicture(infobox::CDlgAbout::IDI_ABOUT).toImage());
    EXPECT_NE(platform::FindControl(&about, infobox::CDlgAbout::IDC_SYSINFO), nullptr);
}

} // namespace

#include "AboutBoxTest.moc"
