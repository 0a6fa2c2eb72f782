// Labels, picture statics and the supply readout as they draw and behave.
#include "GuiApp.h"
#include "lumora/controls/DisplayDigital.h"
#include "lumora/controls/MemDCKR.h"
#include "lumora/controls/QXStaticLabel.h"
#include "lumora/controls/SafeLink.h"
#include "lumora/controls/xStatic.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using controls::CDisplayDigital;
using controls::CQXStaticLabel;
using controls::CxStatic;
using controls::RGB;

QImage Render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int CountColor(const QImage& image, QColor color, QRect area = QRect()) {
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += QColor(image.pixel(x, y)) == color ? 1 : 0;
    return count;
}

// Rows holding pixels of the colour: first and last, -1 when none.
std::pair<int, int> InkRows(const QImage& image, QColor color) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (CountColor(image, color, QRect(0, y, image.width(), 1)) > 0) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    return {first, last};
}

} // namespace

// Records the links the desktop was asked to open, by scheme.
class CLinkRecorder : public QObject {
    Q_OBJECT
public:
    CLinkRecorder() {
        for (const char* scheme : {"http", "https", "mailto", "file", "javascript", "ftp"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
    ~CLinkRecorder() override {
        for (const char* scheme : {"http", "https", "mailto", "file", "javascript", "ftp"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

namespace {

void Click(QWidget& widget) {
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
}

TEST(QXStaticLabel, ChainedSettersAllTakeEffect) {
    controls_test::App();
    CQXStaticLabel label;
    label.setText(QStringLiteral("MMMM"));
    label.resize(120, 40);
    label.SetLabelBackground(RGB(0, 128, 0))
        .SetLabelTextColor(RGB(255, 0, 0))
        .SetBoldFont(true)
        .SetPointSize(14);
    EXPECT_TRUE(label.font().bold());
    EXPECT_EQ(label.font().pointSize(), 14);
    const QImage plain = Render(label);
    EXPECT_GT(CountColor(plain, QColor(0, 128, 0)), 100);
    EXPECT_GT(CountColor(plain, QColor(255, 0, 0)), 10);

    label.SetLabelTextColor(RGB(0, 0, 255)).StartTextFlash(true);
    EXPECT_TRUE(label.IsFlashTimerRunning());
    // The off phase comes first: the text takes the background's colour.
    EXPECT_EQ(CountColor(Render(label), QColor(0, 0, 255)), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return label.FlashPhase(); }, 60000));
    EXPECT_GT(CountColor(Render(label), QColor(0, 0, 255)), 10);
    label.StartTextFlash(false);
    EXPECT_FALSE(label.IsFlashTimerRunning());
    EXPECT_GT(CountColor(Render(label), QColor(0, 0, 255)), 10);
}

// Stopped in the phase that shows the face colour, the label shows its own background again.
TEST(QXStaticLabel, StoppingABackgroundFlashRestoresTheBackground) {
    controls_test::App();
    CQXStaticLabel label;
    label.resize(80, 30);
    label.SetLabelBackground(RGB(0, 160, 0));
    EXPECT_GT(CountColor(Render(label), QColor(0, 160, 0)), 1000);
    label.StartBackgroundFlash(true);
    EXPECT_EQ(CountColor(Render(label), QColor(0, 160, 0)), 0);
    label.StartBackgroundFlash(false);
    EXPECT_FALSE(label.IsFlashTimerRunning());
    EXPECT_GT(CountColor(Render(label), QColor(0, 160, 0)), 1000);
}

// With an image the label shows the image over its background colour, and no text.
TEST(QXStaticLabel, AnImageTakesThePlaceOfTheText) {
    controls_test::App();
    CQXStaticLabel label;
    label.setText(QStringLiteral("MMMM"));
    label.resize(60, 30);
    label.SetLabelTextColor(RGB(255, 0, 0))
        .SetLabelBackground(RGB(0, 128, 0))
        .SetBoldFont(true)
        .SetPointSize(14);
    ASSERT_GT(CountColor(Render(label), QColor(255, 0, 0)), 10);
    QPixmap image(20, 10);
    image.fill(QColor(0, 0, 255));
    label.SetLabelImage(image);
    const QImage shown = Render(label);
    EXPECT_EQ(CountColor(shown, QColor(0, 0, 255)), 20 * 10);
    EXPECT_EQ(CountColor(shown, QColor(0, 128, 0)), 60 * 30 - 20 * 10);
    EXPECT_EQ(CountColor(shown, QColor(255, 0, 0)), 0);
}

TEST(QXStaticLabel, GradientBandsFollowTheWidth) {
    controls_test::App();
    EXPECT_EQ(CQXStaticLabel::GradientBands(50), 50);
    EXPECT_EQ(CQXStaticLabel::GradientBands(300), 100);
    EXPECT_EQ(CQXStaticLabel::GradientBands(0), 1);
    CQXStaticLabel label;
    label.resize(300, 20);
    label.SetLabelBackground(RGB(0, 0, 0), RGB(255, 255, 255), 1);
    const QImage image = Render(label);
    // Bands of 3 pixels: the first three pixels share a colour, the fourth is lighter.
    EXPECT_EQ(QColor(image.pixel(0, 10)), QColor(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 10), image.pixel(0, 10));
    EXPECT_GT(QColor(image.pixel(3, 10)).red(), QColor(image.pixel(2, 10)).red());
    EXPECT_GT(QColor(image.pixel(299, 10)).red(), 240);
}

struct SLinkCase {
    const char* name;
    bool mail;
    const char* text;
    const char* target;
    const char* opened; // empty: nothing may open
};

TEST(QXStaticLabel, LinksOpenOnlyWebAndMailAddresses) {
    controls_test::App();
    const SLinkCase cases[] = {
        {"web link without target opens its text", false, "https://example.org/lumora", "",
         "https://example.org/lumora"},
        {"web link opens its target", false, "主页", "http://example.org/", "http://example.org/"},
        {"mail link opens mailto and the text", true, "bench@example.org", "", "mailto:bench@example.org"},
        {"file link refused", false, "file:///etc/passwd", "", ""},
        {"script link refused", false, "javascript:alert(1)", "", ""},
        {"program name refused", false, "xterm -e rm", "", ""},
        {"web link without host refused", false, "http://", "", ""},
        {"ftp link refused", false, "x", "ftp://example.org/", ""},
        {"mail link without address refused", true, "not an address", "", ""},
    };
    for (const SLinkCase& row : cases) {
        CLinkRecorder recorder;
        CQXStaticLabel label;
        label.resize(100, 20);
        label.setText(QString::fromUtf8(row.text));
        if (row.mail)
            label.SetMailTo(true);
        else
            label.SetWebLink(true).SetWebLinkTarget(QString::fromUtf8(row.target));
        Click(label);
        if (*row.opened == '\0') {
            EXPECT_TRUE(recorder.opened.isEmpty()) << row.name;
        } else {
            ASSERT_EQ(recorder.opened.size(), 1) << row.name;
            EXPECT_EQ(recorder.opened.front().toString(), QString::fromUtf8(row.opened)) << row.name;
        }
    }
}

struct SSplitCase {
    const char* name;
    QString text;
    int width; // in characters of the fixed measure
    QStringList lines;
};

TEST(xStatic, SplitLinesWrapsAndBreaksAsDrawn) {
    // Every character is 10 wide, so the width in characters decides.
    const auto measure = [](const QString& s) { return int(s.size()) * 10; };
    const SSplitCase cases[] = {
        {"two words wrap after the first and drop the blank",
         QStringLiteral("alpha beta"),
         7,
         {QStringLiteral("alpha"), QStringLiteral("beta")}},
        {"a lone LF does not break", QStringLiteral("ab\ncd"), 20, {QStringLiteral("ab\ncd")}},
        {"CR LF breaks", QStringLiteral("ab\r\ncd"), 20, {QStringLiteral("ab"), QStringLiteral("cd")}},
        {"LF CR breaks too", QStringLiteral("ab\n\rcd"), 20, {QStringLiteral("ab"), QStringLiteral("cd")}},
        {"a word without blanks is cut where it overflows",
         QStringLiteral("abcdefgh"),
         3,
         {QStringLiteral("abc"), QStringLiteral("def"), QStringLiteral("gh")}},
        {"a character wider than the control still advances",
         QStringLiteral("abc"),
         0,
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString()}},
        {"no wrap needed", QStringLiteral("1.000 V"), 20, {QStringLiteral("1.000 V")}},
    };
    for (const SSplitCase& row : cases)
        EXPECT_EQ(CxStatic::SplitLines(row.text, row.width * 10 + (row.width > 0 ? 5 : 0), measure),
                  row.lines)
            << row.name;
}

TEST(xStatic, GradientsRunFromTheNearToTheFarColour) {
    controls_test::App();
    CxStatic picture;
    picture.resize(200, 100);
    picture.SetGradient(1, RGB(255, 0, 0), RGB(0, 0, 255));
    QImage image = Render(picture);
    EXPECT_GT(QColor(image.pixel(0, 50)).blue(), 240);
    EXPECT_GT(QColor(image.pixel(199, 50)).red(), 240);
    picture.SetGradient(2, RGB(255, 0, 0), RGB(0, 0, 255));
    image = Render(picture);
    EXPECT_GT(QColor(image.pixel(100, 0)).blue(), 240);
    EXPECT_GT(QColor(image.pixel(100, 99)).red(), 240);
}

TEST(xStatic, AutoShrinkStopsAtTheSmallestSize) {
    controls_test::App();
    CxStatic picture;
    picture.resize(30, 8);
    picture.SetFont(QStringLiteral("DejaVu Sans"), 20, 400);
    picture.SetAutoShrink(true);
    picture.setText(QStringLiteral("a long text that can never fit in so small a control"));
    Render(picture);
    EXPECT_EQ(picture.FontSize(), CxStatic::kMinFontSize);
}

TEST(xStatic, BitmapResizesTheControlAndFillsIt) {
    controls_test::App();
    CxStatic picture;
    QPixmap bitmap(10, 10);
    bitmap.fill(QColor(10, 200, 30));
    picture.SetBitmap(bitmap, 64, 48);
    EXPECT_EQ(picture.size(), QSize(64, 48));
    const QImage image = Render(picture);
    EXPECT_EQ(CountColor(image, QColor(10, 200, 30)), 64 * 48);
}

void RightMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::RightButton;
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::RightButton, held, modifiers);
    QApplication::sendEvent(&widget, &event);
}

// In tracking mode 1 the right mouse button places the control: its body moves it, its right and
// bottom edges size it, and with Ctrl a rubber band in the parent gives its rectangle. In mode 0
// the control stays where it is.
TEST(xStatic, TheRightButtonPlacesTheControlInTrackingMode) {
    controls_test::App();
    const struct {
        const char* name;
        int mode;
        QPoint from; // in the control
        QPoint by;
        Qt::KeyboardModifiers modifiers;
        QRect placed;
    } rows[] = {
        {"moved by its body", 1, QPoint(20, 10), QPoint(30, 15), {}, QRect(80, 65, 100, 40)},
        {"sized by its right edge", 1, QPoint(98, 10), QPoint(25, 30), {}, QRect(50, 50, 125, 40)},
        {"sized by its bottom edge", 1, QPoint(20, 38), QPoint(25, 30), {}, QRect(50, 50, 100, 70)},
        {"sized by its corner", 1, QPoint(98, 38), QPoint(-20, 10), {}, QRect(50, 50, 80, 50)},
        {"a rubber band drawn up and left", 1, QPoint(20, 10), QPoint(-40, -30), Qt::ControlModifier,
         QRect(30, 30, 41, 31)},
        {"no tracking", 0, QPoint(20, 10), QPoint(30, 15), {}, QRect(50, 50, 100, 40)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QWidget parent;
        parent.resize(300, 200);
        auto* picture = new CxStatic(&parent);
        picture->setGeometry(50, 50, 100, 40);
        picture->SetTrackingMode(row.mode);
        parent.show();
        RightMouse(*picture, QEvent::MouseButtonPress, row.from, row.modifiers);
        // The pointer moves in two steps; each step's position is taken where the control now is.
        const QPoint start = picture->mapToParent(row.from);
        for (const QPoint& step : {row.by / 2, row.by}) {
            RightMouse(*picture, QEvent::MouseMove, picture->mapFromParent(start + step), row.modifiers);
        }
        RightMouse(*picture, QEvent::MouseButtonRelease, picture->mapFromParent(start + row.by),
                   row.modifiers);
        EXPECT_EQ(picture->geometry(), row.placed);
    }
}

TEST(DisplayDigital, OneReadingTakesTheFullHeightTwoShareIt) {
    controls_test::App();
    CDisplayDigital readout;
    readout.resize(240, 80);
    readout.m_crText = RGB(0, 0, 0);
    readout.m_strVoltage = QStringLiteral("3.300");
    auto [first, last] = InkRows(Render(readout), Qt::black);
    ASSERT_GE(first, 0);
    // Alone, the voltage is centred in the whole readout.
    EXPECT_LT(first, 40);
    EXPECT_GT(last, 40);

    readout.m_strCurrent = QStringLiteral("0.125");
    const QImage both = Render(readout);
    EXPECT_GT(CountColor(both, Qt::black, QRect(0, 0, 240, 40)), 20);
    EXPECT_GT(CountColor(both, Qt::black, QRect(0, 40, 240, 40)), 20);
    EXPECT_EQ(readout.UpperValueRect().bottom() + 1, readout.LowerValueRect().top());
    EXPECT_EQ(readout.FullUnitRect().right(), 240 - 5 - 1);

    readout.m_strVoltage.clear();
    std::tie(first, last) = InkRows(Render(readout), Qt::black);
    EXPECT_LT(first, 40);
    EXPECT_GT(last, 40);
}

TEST(MemDCKR, DrawsOffScreenButStraightToAPrinter) {
    controls_test::App();
    QImage screen(50, 50, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        controls::CMemDCKR memory(painter, QRect(10, 10, 20, 20));
        EXPECT_TRUE(memory.IsMemory());
        memory.Painter().fillRect(QRect(10, 10, 20, 20), Qt::red);
        // Nothing reaches the target before the memory image is copied.
        EXPECT_EQ(QColor(screen.pixel(15, 15)), QColor(Qt::white));
    }
    EXPECT_EQ(QColor(screen.pixel(15, 15)), QColor(Qt::red));
    EXPECT_EQ(QColor(screen.pixel(5, 5)), QColor(Qt::white));

    QTemporaryDir dir;
    QPdfWriter printer(dir.filePath(QStringLiteral("page.pdf")));
    QPainter painter(&printer);
    controls::CMemDCKR direct(painter, QRect(0, 0, 100, 100));
    EXPECT_FALSE(direct.IsMemory());
    EXPECT_EQ(&direct.Painter(), &painter);
}

} // namespace

#include "StaticsTest.moc"
