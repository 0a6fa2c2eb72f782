#include "bench/support/Figures.h"
#include "waveform/common/ColorRef.h"
#include "waveform/common/LineSummary.h"
#include "waveform/common/PlotMapping.h"
#include "waveform/common/ScrollBarCtrl.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/stripplot/TimeVsAmpRecords.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <random>

#include "platform/ProgramFolder.h"

namespace {

QApplication* g_app = nullptr;

QApplication& App() {
    return *g_app;
}

constexpr int kPlotWidth = 1920, kPlotHeight = 1080;

// Counts the pair A reports of the plot, keeping the last.
class CMarkerHost : public platform::CMessageTarget {
public:
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        if (message == WM_WAVEFORM_MARKER && lParam == kMarkerCodePairA && wParam != 0) {
            last = *reinterpret_cast<const CWaveformMarkerRecord*>(wParam);
            ++reports;
        }
        return 0;
    }
    CWaveformMarkerRecord last{};
    std::size_t reports = 0;
};

// A 1920 x 1080 plot holding n samples of a low-current profile: sleep current with 40 short bursts of
// milliamps over the whole run, so that every sample count shows the same picture.
struct CPlot {
    explicit CPlot(std::size_t n) {
        platform::SetProgramFolderOverride(folder.path() + QLatin1Char('/'));
        frame.Create(nullptr, &host, QRect(0, 0, kPlotWidth + 15, kPlotHeight + 15));
        for (QWidget* child : frame.findChildren<QWidget*>())
            if (auto* p = dynamic_cast<CWaveformTimeVsAmpWnd*>(child))
                plot = p;
        std::vector<double> x(n), y(n);
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0.0, 2e-7);
        for (std::size_t i = 0; i < n; ++i) {
            x[i] = 2e-5 * static_cast<double>(i);
            y[i] = 5e-6 + noise(rng) + ((i * 40 / n) * n / 40 + n / 400 > i ? 3e-3 : 0.0);
        }
        frame.SetDataMultiLine(0, x.data(), y.data(), static_cast<unsigned>(n), 1);
        frame.SetAxisAdaptive();
        frame.ReDrawWaveformWnd(1, 1, 1);
        QApplication::processEvents();
    }
    QApplication& app = App();
    QTemporaryDir folder;
    CMarkerHost host;
    CWaveformTimeVsAmpMainWnd frame;
    CWaveformTimeVsAmpWnd* plot = nullptr;
};

// The plots of the run; emptied by main before the application object goes.
std::map<std::size_t, std::unique_ptr<CPlot>>& Plots() {
    static std::map<std::size_t, std::unique_ptr<CPlot>> plots;
    return plots;
}

CPlot& PlotOf(std::size_t n) {
    auto& plots = Plots();
    // One large plot at a time keeps the bench within memory.
    auto it = plots.find(n);
    if (it == plots.end()) {
        plots.clear();
        it = plots.emplace(n, std::make_unique<CPlot>(n)).first;
    }
    return *it->second;
}

// Pixels of the widget as the screen got it that hold the colour.
std::size_t PixelsOf(QWidget& widget, const QColor& colour) {
    const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::size_t count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            count += QColor(shown.pixel(x, y)) == colour;
    return count;
}

// Whether what the screen shows holds the plot's line (its bursts reach across the plot's height);
// the benchmark fails when it does not.
bool CheckShownLine(benchmark::State& state, CPlot& p) {
    const QColor line = waveform::ToQColor(p.plot->GetGDI().Styles[0].LineColor);
    const std::size_t linePixels = PixelsOf(*p.plot, line);
    state.counters["line_pixels"] = static_cast<double>(linePixels);
    if (linePixels >= static_cast<std::size_t>(2 * kPlotWidth))
        return true;
    state.SkipWithError("the shown plot lacks its line");
    return false;
}

// The line of a plot as the floor draws it: per pixel column the first, lowest, highest and last
// value, joined.
std::vector<QLine> FloorColumns(CPlot& p) {
    waveform::CPlotMapping m;
    m.area = p.plot->GetPlotArea();
    p.plot->GetAxisScaleHoriZoom(m.hMin, m.hMax);
    p.plot->GetAxisScaleVertZoom(m.vMin, m.vMax);
    const auto& xs = p.frame.GetDataMultiLineX(0);
    const auto& ys = p.frame.GetDataMultiLineY(0);
    std::vector<QPoint> points;
    for (std::size_t i = 0; i < xs.size();) {
        const int column = m.XPixel(xs[i]);
        const double first = ys[i];
        double lo = ys[i], hi = ys[i], last = ys[i];
        for (; i < xs.size() && m.XPixel(xs[i]) == column; ++i) {
            lo = std::min(lo, ys[i]);
            hi = std::max(hi, ys[i]);
            last = ys[i];
        }
        for (double v : {first, lo, hi, last})
            points.emplace_back(column, m.YPixel(v));
    }
    std::vector<QLine> columns;
    for (std::size_t i = 1; i < points.size(); ++i)
        if (points[i] != points[i - 1])
            columns.emplace_back(points[i - 1], points[i]);
    return columns;
}

// The floor's work: the layer cleared and the columns drawn.
void DrawFloor(QImage& image, const QPen& pen, const std::vector<QLine>& columns) {
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(pen);
    painter.drawLines(columns.data(), static_cast<int>(columns.size()));
}

// A redraw of every layer as the user gets it (the update is processed, so the widget's paint is in),
// in the same view each time: a redraw for colours, markers or the vertical axes.
void BM_Redraw(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    CPlot& p = PlotOf(n);
    for (auto _ : state) {
        p.frame.ReDrawWaveformWnd(1, 1, 1);
        QApplication::processEvents();
    }
    CheckShownLine(state, p);
}
BENCHMARK(BM_Redraw)
    ->Arg(10'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond);

// The least a redraw can cost: the layer cleared and the 1920 columns of the line drawn from their
// extremes (first, lowest, highest and last value of each column, joined), without axes, copies or
// paint.
void BM_RedrawFloor(benchmark::State& state) {
    CPlot& p = PlotOf(10'000);
    const std::vector<QLine> columns = FloorColumns(p);
    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    const QPen pen = p.plot->GetGDI().Styles[0].DrawPen();
    for (auto _ : state)
        DrawFloor(image, pen, columns);
    std::size_t drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            drawn += QColor(image.pixel(x, y)) == pen.color();
    if (drawn < static_cast<std::size_t>(2 * kPlotWidth))
        state.SkipWithError("the floor's columns are not drawn");
    state.counters["segments"] = static_cast<double>(columns.size());
}
BENCHMARK(BM_RedrawFloor)->Unit(benchmark::kMillisecond);

// Mouse events sent to a plot as the window system would, one at a time, so that each is handled
// before the next.
void SendMouse(CPlot& p, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF local(at);
    QMouseEvent event(type, local, p.plot->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(p.plot, &event);
}

// What the user does to change or keep the view, each a step of its own to be timed, with the steps
// before it that are not timed (the press and the drag before a zoom release, say).
enum eViewChange { eSameView, eZoomRelease, ePanStep, eRestore };

struct CViewChange {
    CViewChange(eViewChange change, CPlot& plot) : kind(change), p(plot) {}

    eViewChange kind;
    CPlot& p;
    int step = 0;
    waveform::CPlotMapping before; // the mapping the timed step started from
    QPoint press, release;

    // Untimed: brings the plot to where the timed step starts.
    void Prepare() {
        const waveform::CPlotArea a = p.plot->GetPlotArea();
        ++step;
        switch (kind) {
        case eZoomRelease: {
            // A box over the middle of the full view, a pixel wider every time so that each zoom is a
            // view of its own.
            p.frame.SetAxisRestore();
            p.frame.ReDrawWaveformWnd(1, 1, 1);
            QApplication::processEvents();
            p.frame.SetWaveformOperateTool(eWaveformToolZoomBox);
            press = QPoint(a.left + a.Width() / 4, a.top + a.Height() / 8);
            release = QPoint(a.left + a.Width() / 2 + step % 64, a.bottom - a.Height() / 8);
            SendMouse(p, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
            SendMouse(p, QEvent::MouseMove, release, Qt::NoButton, Qt::LeftButton);
            QApplication::processEvents();
            break;
        }
        case ePanStep:
            // The button is held from the first step on; the pointer goes back and forth over 100
            // pixels, a pixel a step.
            if (step == 1) {
                p.frame.SetWaveformOperateTool(eWaveformToolPan);
                press = QPoint((a.left + a.right) / 2, (a.top + a.bottom) / 2);
                SendMouse(p, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
            }
            release = press + QPoint((step / 100) % 2 ? 100 - step % 100 : step % 100, 0);
            break;
        case eRestore: {
            // Zoomed in on a different quarter each time.
            double h0 = 0, h1 = 0;
            p.plot->GetAxisScaleHoriOrg(h0, h1);
            const double quarter = (h1 - h0) / 4;
            const double from = h0 + quarter * (step % 3) + quarter * 1e-3 * (step % 7);
            p.plot->SetAxisScaleHoriZoom(from, from + quarter, 1);
            p.frame.ReDrawWaveformWnd(1, 1, 1);
            QApplication::processEvents();
            break;
        }
        case eSameView:
            break;
        }
        before = Mapping();
    }

    // Timed: the step, with the paint it asks for processed.
    void Run() {
        switch (kind) {
        case eSameView:
            p.frame.ReDrawWaveformWnd(1, 1, 1);
            break;
        case eZoomRelease:
            SendMouse(p, QEvent::MouseButtonRelease, release, Qt::LeftButton, Qt::NoButton);
            break;
        case ePanStep:
            SendMouse(p, QEvent::MouseMove, release, Qt::NoButton, Qt::LeftButton);
            break;
        case eRestore:
            // As the page's restore button does.
            p.frame.SetAxisRestore();
            p.frame.ReDrawWaveformWnd(1, 1, 1);
            break;
        }
        QApplication::processEvents();
    }

    waveform::CPlotMapping Mapping() const {
        waveform::CPlotMapping m;
        m.area = p.plot->GetPlotArea();
        p.plot->GetAxisScaleHoriZoom(m.hMin, m.hMax);
        p.plot->GetAxisScaleVertZoom(m.vMin, m.vMax);
        return m;
    }

    // Whether the step left the view where the user put it: the zoom box's values, the range moved by
    // the pointer's distance, the full range, or the view as it was.
    bool Check() const {
        const waveform::CPlotMapping now = Mapping();
        double h0 = 0, h1 = 0, v0 = 0, v1 = 0;
        switch (kind) {
        case eSameView:
            return now.hMin == before.hMin && now.hMax == before.hMax;
        case eZoomRelease:
            return now.hMin == before.XValue(press.x()) && now.hMax == before.XValue(release.x()) &&
                   now.vMin == before.YValue(release.y()) && now.vMax == before.YValue(press.y());
        case ePanStep: {
            const double shift =
                (press.x() - release.x()) * (before.hMax - before.hMin) / before.area.Width();
            const double span = before.hMax - before.hMin;
            return std::abs(now.hMax - now.hMin - span) <= 1e-9 * span &&
                   std::abs(now.hMin - (PanStart().hMin + shift)) <= 1e-9 * span;
        }
        case eRestore:
            p.plot->GetAxisScaleHoriOrg(h0, h1);
            p.plot->GetAxisScaleVertOrg(v0, v1);
            return now.hMin == h0 && now.hMax == h1 && now.vMin == v0 && now.vMax == v1;
        }
        return false;
    }

    // The view at the press of a pan: the one the pan's shifts are taken from.
    waveform::CPlotMapping PanStart() const {
        waveform::CPlotMapping m = before;
        double h0 = 0, h1 = 0;
        p.plot->GetAxisScaleHoriOrg(h0, h1);
        m.hMin = h0;
        m.hMax = h1;
        return m;
    }

    void Finish() {
        if (kind == ePanStep && step > 0)
            SendMouse(p, QEvent::MouseButtonRelease, release, Qt::LeftButton, Qt::NoButton);
        p.frame.SetWaveformOperateTool(eWaveformToolNone);
        p.frame.SetAxisRestore();
        p.frame.ReDrawWaveformWnd(1, 1, 1);
        QApplication::processEvents();
    }
};

// A view change on a plot of 10^4 samples and on one of 10^8 samples and the floor, taken in turn
// within one loop so that each sees the same load: their medians and ratios. The argument is the
// change (eViewChange): the same view redrawn, the release of the zoom tool's box, one step of the pan
// tool, the restore button. Every step is checked to have left the view where the user put it, and
// the shown plot to hold its line.
void BM_ViewChangeInterleaved(benchmark::State& state) {
    const auto kind = static_cast<eViewChange>(state.range(0));
    Plots().clear();
    CPlot small(10'000);
    CPlot large(100'000'000);
    CViewChange changes[2] = {CViewChange(kind, small), CViewChange(kind, large)};
    // The floor: the layer cleared and the small plot's columns drawn, as BM_RedrawFloor does.
    QImage image(kPlotWidth, kPlotHeight, QImage::Format_RGB32);
    const QPen pen = small.plot->GetGDI().Styles[0].DrawPen();
    const std::vector<QLine> columns = FloorColumns(small);
    std::vector<double> times[3], load;
    int wrong = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            changes[k].Prepare();
            const auto start = Clock::now();
            changes[k].Run();
            times[k].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            wrong += changes[k].Check() ? 0 : 1;
        }
        const auto start = Clock::now();
        DrawFloor(image, pen, columns);
        times[2].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (times[2].size() % 50 == 0)
            load.push_back(benchsupport::LoadAverage());
    }
    for (CPlot* p : {&small, &large})
        if (!CheckShownLine(state, *p))
            return;
    for (CViewChange& change : changes)
        change.Finish();
    if (wrong != 0)
        state.SkipWithError("a step did not leave the view where the user put it");
    const double m4 = benchsupport::Median(times[0]), m8 = benchsupport::Median(times[1]),
                 floor = benchsupport::Median(times[2]);
    state.counters["at_1e4_ms"] = m4;
    state.counters["at_1e8_ms"] = m8;
    state.counters["floor_ms"] = floor;
    state.counters["ratio_1e8_1e4"] = m8 / m4;
    state.counters["ratio_1e8_floor"] = m8 / floor;
    state.counters["load"] = benchsupport::Median(load);
    state.counters["wrong"] = wrong;
}
BENCHMARK(BM_ViewChangeInterleaved)
    ->Arg(eSameView)
    ->Arg(eZoomRelease)
    ->Arg(ePanStep)
    ->Arg(eRestore)
    ->ArgName("change")
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

// One step of a pair A marker dragged over a plot of n samples, its paint included. The press must
// have grabbed the marker: every step is reported and the marker ends where the pointer went.
void BM_MarkerDragStep(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    CPlot& p = PlotOf(n);
    p.frame.SetMarkerVisible(1, 1);
    p.frame.ReDrawWaveformWnd(1, 1, 1);
    QApplication::processEvents();
    const waveform::CPlotArea a = p.plot->GetPlotArea();
    const int y = (a.top + a.bottom) / 2;
    const int from = a.left + 1;
    // Sent as the window system would, one at a time, so that each step is handled before it is timed
    // to its end.
    const auto send = [&](QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF local(x, y);
        QMouseEvent event(type, local, p.plot->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(p.plot, &event);
    };
    send(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    const std::size_t before = p.host.reports;
    int step = 0, x = from;
    for (auto _ : state) {
        x = a.left + 100 + (step++ % 1000);
        send(QEvent::MouseMove, x, Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
    }
    const std::size_t reports = p.host.reports - before;
    const int pixel = p.host.last.Pixel1;
    // Back to where the next run of the benchmark presses.
    send(QEvent::MouseMove, from, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::NoButton);
    if (reports != static_cast<std::size_t>(step))
        state.SkipWithError("the press did not grab the marker: a step went unreported");
    else if (std::abs(pixel - x) > 1)
        state.SkipWithError(("the marker did not follow the pointer " + std::to_string(pixel) + " " +
                             std::to_string(x) + " " + std::to_string(p.host.last.Index1) + " style " +
                             std::to_string(p.plot->GetGDI().Styles[0].DrawnFirstX) + " " +
                             std::to_string(p.plot->GetGDI().Styles[0].DrawnLastX) + " " +
                             std::to_string(p.plot->GetGDI().Styles[0].DrawnEndIndex))
                                .c_str());
    state.counters["reports"] = static_cast<double>(reports);
}
BENCHMARK(BM_MarkerDragStep)->Arg(10'000)->Arg(100'000'000)->Unit(benchmark::kMillisecond);

void BM_SummaryBytes(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i)
        y[i] = std::sin(0.001 * static_cast<double>(i));
    const std::vector<unsigned> excluded;
    waveform::CLineSummary summary;
    for (auto _ : state)
        summary.Rebuild(y.data(), n, excluded);
    state.counters["summary_bytes_per_sample"] =
        static_cast<double>(summary.MemoryBytes()) / static_cast<double>(n);
}
BENCHMARK(BM_SummaryBytes)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

// Resident bytes of the process.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096.0;
}

// One tick of a data-logging run on the two-axis plot with n samples already logged: the new slice is
// handed over, the axes refitted and (second argument 1) every layer redrawn, as the data-logging page
// does per tick.
void BM_LogTick(benchmark::State& state) {
    const bool redraw = state.range(1) != 0;
    constexpr unsigned kSlice = 1000, kTicks = 200;
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    const std::size_t total = n + std::size_t{kSlice} * kTicks;
    std::vector<double> x(total), y(total);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 2e-7);
    for (std::size_t i = 0; i < total; ++i) {
        x[i] = 1e-3 * static_cast<double>(i);
        // 40 bursts over the run, as in CPlot, so that both sizes show the same picture.
        y[i] = 5e-6 + noise(rng) + ((i * 40 / total) * total / 40 + total / 400 > i ? 3e-3 : 0.0);
    }
    QTemporaryDir folder;
    platform::SetProgramFolderOverride(folder.path() + QLatin1Char('/'));
    App();
    CWaveformComboMainWnd frame;
    frame.Create(nullptr, nullptr, QRect(0, 0, 1920 + 30, 1080 + 15));
    const double before = ResidentBytes();
    frame.InitialMemory(static_cast<unsigned>(total));
    frame.SetDataIndex(x.data(), y.data(), 0, static_cast<unsigned>(n), 1);
    const double plotBytes = ResidentBytes() - before;
    frame.SetAxisAdaptive();
    frame.ReDrawWaveformWnd(1, 1, 1);
    unsigned start = static_cast<unsigned>(n);
    for (auto _ : state) {
        frame.SetDataIndex(x.data(), y.data(), start, kSlice, 1);
        frame.SetAxisAdaptive();
        if (redraw)
            frame.ReDrawWaveformWnd(1, 1, 1);
        start += kSlice;
    }
    state.counters["plot_bytes_per_sample"] = plotBytes / static_cast<double>(n);
    state.counters["logged"] = static_cast<double>(frame.GetMultiLineDataLength(0));
}
BENCHMARK(BM_LogTick)
    ->ArgsProduct({{10'000, 6'000'000}, {0, 1}})
    ->ArgNames({"logged", "redraw"})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// Widgets must be gone before the application object, and the application before the statics Qt
// tears down at exit: both are ended here, in that order.
int main(int argc, char** argv) {
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    auto app = std::make_unique<QApplication>(qtArgc, qtArgv);
    g_app = app.get();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Plots().clear();
    app.reset();
    g_app = nullptr;
    return 0;
}
