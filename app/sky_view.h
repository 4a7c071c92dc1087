// The sky window: the one content of the main window and its controller.
// It owns the shown instant and place, chooses which picture is drawn
// (intro screen or one of the three charts), runs the start-up work,
// handles the menu commands, the mouse, the keys and the timers, and
// prepares and draws the printed page.
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/find_dialog.h"
#include "app/time_navigation.h"
#include "engine/sky.h"
#include "online/data_file_update.h"
#include "online/usage_record.h"
#include "places/now.h"
#include "render/chart_view.h"
#include "render/display_preferences.h"
#include "render/object_panel.h"
#include "skydata/click_rects.h"
#include "skydata/int_rect.h"
#include "skydata/name_index.h"

class QPainter;
class QPrinter;

namespace skyvane::app {

// Menu command ids of the sky window.
inline constexpr int kCommandHeliocentric = 32771;
inline constexpr int kCommandHorizontal = 32772;
inline constexpr int kCommandGeocentric = 32773;
inline constexpr int kCommandEditLocation = 32774;
inline constexpr int kCommandEnterTime = 32775;
inline constexpr int kCommandSearchConstellation = 32782;
inline constexpr int kCommandManual = 32783;
inline constexpr int kCommandWebsite = 32784;
inline constexpr int kCommandPreferences = 32785;
inline constexpr int kCommandIntroScreen = 32786;
inline constexpr int kCommandUpdateDataFile = 32787;
inline constexpr int kCommandDonate = 32789;
inline constexpr int kCommandSearchObject = 32790;
inline constexpr int kCommandNightMode = 32791;

// Click report codes of the sky window.
inline constexpr int kReportFourthStart = 990;
inline constexpr int kReportStartWithUpdate = 991;
inline constexpr int kReportStartWithoutUpdate = 992;
inline constexpr int kReportManual = 994;
inline constexpr int kReportWebsite = 995;
inline constexpr int kReportDonate = 998;

// The vendor host's pages, as "http://host[:port]" + path.
std::string VendorPageUrl(const std::string& path);

class CSkyvaneView : public QWidget {
    Q_OBJECT

public:
    // Where the UTC instant "now" comes from: the computer's clock unless a
    // test gives another. It is shown in the location's civil time.
    using Clock = places::UtcClock;

    explicit CSkyvaneView(QWidget* parent = nullptr, Clock clock = {});
    ~CSkyvaneView() override;

    // The initial update: initial values, the start-up and intro timers,
    // the display preferences. The deferred start-up follows 50 ms later.
    void OnInitialUpdate();

    // A menu command by id; refused silently when its rule says so.
    void OnCommand(int id);

    // One tick of timer `id`, as the window's timers deliver it.
    void OnTimer(int id);

    // One key-down message; `repeatCount` presses in this one message.
    void OnKeyDown(NavigationKey key, int digit, int repeatCount);

    // The search command: choose a constellation and select one of its
    // stars.
    void OnSearchConstellation();

    // Search › Object: find an object by name in a dialog.
    // The dialog stays open beside the chart (not modal): the chart keeps
    // its keys and the dialog moves off what it found.
    void OnSearchObject();
    // The outcome of a download the menu started, on the window's thread.
    void DataFileUpdated(const online::DataFileDownloadOutcome& outcome);
    // The open find dialog, if any.
    CFindDialog* FindDialog() const { return findDialog_; }
    // Finds the object a name stands for and shows it: a star or Messier
    // object is selected as a click on it selects it, a body's table row is
    // framed. Says when the chart on screen does not show it.
    FindOutcome FindObject(const QString& name);

    // Writes the chart as it is drawn on screen, at the screen's pixel
    // density, as a PNG or JPEG file (`format` "png" or "jpg"; empty: by the
    // file name's extension). False, leaving no partial file, when it could
    // not be written; `why` then receives the reason (the system's words
    // when the system refused).
    bool SaveChartImage(const QString& path, const QByteArray& format = {},
                        QString* why = nullptr);

    // The view of the horizontal or the geocentric chart: each keeps its
    // own centre and field (the whole sky for any other view mode).
    render::ViewAim ChartAim(int viewMode) const;
    void SetChartAim(int viewMode, const render::ViewAim& aim);
    // The view the chart on screen draws through at the window's size;
    // nothing for the heliocentric chart and the intro.
    std::optional<render::ChartView> ChartViewOnScreen() const;

    // The mouse on the sky charts: the wheel zooms about the pointer
    // (`angleDelta` in eighths of a degree, 120 a notch, positive away from
    // the user zooms in); a drag from `from` to `to` moves the sky with the
    // pointer; a double click on empty sky centres it there.
    void OnWheel(QPointF position, int angleDelta);
    void OnDrag(QPointF from, QPointF to, const render::ViewAim& aimAtPress);
    void OnDoubleClick(QPoint point);

    // Before printing: one page, in the orientation of the page printed.
    void OnPreparePrinting(QPrinter& printer) const;
    // The page of the chart shown onto the printer's painter: a copy of the
    // state as it is now, nothing selected; a zoomed sky chart prints the
    // finder page of its centre and field. The intro prints an empty page.
    void OnPrint(QPainter& painter, const QPrinter& printer) const;
    // The view a print of the chart on screen is made through: the chart's
    // aim while it is zoomed in on screen, else the whole sky.
    render::ViewAim PrintedAim() const;

    // The close work: the usage record saved and, at the first and fourth
    // start, the version check sent again.
    void OnDestroy();

    // View › Night Mode: every chart in dim red on black, or back in its
    // colours; remembered in the settings.
    void SetNightMode(bool on);

    // State, for the frame and for tests.
    int ViewMode() const { return viewMode_; }
    int IntroDone() const { return introDone_; }
    int IntroTicks() const { return introTicks_; }
    const engine::SkyState& Sky() const { return sky_; }
    engine::SkyState& MutableSky() { return sky_; }
    const ChartNavigation& Navigation() const { return navigation_; }
    ChartNavigation& MutableNavigation() { return navigation_; }
    const render::ObjectSelection& Selection() const { return selection_; }
    const render::DisplayPreferences& Preferences() const { return preferences_; }
    const online::UsageRecord& Usage() const { return usage_; }
    int CurrentLocation() const { return currentLocation_; }
    skydata::IntRect ObjectLinkRect() const { return objectLinkRect_; }
    const skydata::CatalogueClickRects& ClickRects() const { return *clickRects_; }
    bool TimerRunning(int id) const { return timers_.count(id) != 0; }
    // The reticle of a connected telescope at its place of date, or none.
    // While the chart follows the telescope each new mark centres it.
    void SetTelescopeMark(std::optional<render::TelescopeMark> mark);
    void SetFollowTelescope(bool follow);
    bool FollowTelescope() const { return followTelescope_; }
    // The sky of this moment at the window's place, whatever instant the
    // chart shows.
    engine::SkyState SkyNow() const;
    // How many times the window asked to be drawn again.
    int RedrawRequests() const { return redrawRequests_; }

signals:
    // Night mode came on or went off, by the menu or by loading the
    // preferences; the frame gives its menus and dialogs the look to match.
    void NightModeChanged(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void DeferredStartup();
    void LoadUsageRecord(std::string& storedText);
    void ApplyStartCountRule();
    void StartDataFileCheck();
    void ReloadPreferences();
    void ShowChart(int viewMode);
    void EditLocation();
    void EnterTime();
    void EditPreferences();
    void OpenVendorPage(const std::string& path, int reportCode);
    // Opens `url` in the browser, or says that no browser took it.
    void OpenPage(const std::string& url);
    // Config › Update datafile: the download with its progress shown and
    // its outcome (done, or failed and why) said in a message.
    void UpdateDataFileFromMenu();
    void LeftButtonDown(QPoint point);
    // Centres the chart on screen on a found object: a second choice of the
    // same object zooms to a finder field. False when the chart cannot show
    // it (below the horizon, or a chart without a sky).
    bool CentreOnObject(const skydata::ObjectRef& object);
    void PlaceFindDialog();
    // Where the chart on screen drew the selected star or Messier object,
    // in the window's pixels; nothing when it did not draw it.
    std::optional<QPoint> SelectionOnScreen() const;

    void SetInstantToNow();
    void Recompute();
    void StopAnimationAtRangeEnd(int viewMode, int timer);
    void Redraw();

    void StartTimer(int id, int periodMs);
    void KillTimer(int id);
    void KillChartTimers();

    Clock clock_;
    int introTicks_ = 0;
    int introDone_ = 0;
    skydata::IntRect objectLinkRect_{};
    engine::SkyState sky_{};
    int viewMode_ = kViewIntro;
    ChartNavigation navigation_;
    int currentLocation_ = 0;
    online::UsageRecord usage_;
    engine::SkyCalculator engine_;

    render::DisplayPreferences preferences_;
    render::ObjectSelection selection_;
    // Where the charts drew each star and Messier object, for the clicks.
    std::unique_ptr<skydata::CatalogueClickRects> clickRects_;
    QPointer<CFindDialog> findDialog_;
    QPointer<QProgressDialog> updateProgress_;

    // The sky charts' views, and the press a drag starts from.
    render::ViewAim horizontalAim_;
    render::ViewAim geocentricAim_;
    std::optional<QPointF> pressPoint_;
    render::ViewAim aimAtPress_;
    bool dragging_ = false;
    // The object the last search centred, on which chart.
    std::optional<std::pair<skydata::ObjectRef, int>> lastCentred_;
    bool followTelescope_ = false;
    void CentreOnTelescope();

    // Our timer ids and the toolkit's.
    std::map<int, int> timers_;
    int redrawRequests_ = 0;
    bool destroyed_ = false;
};

// The key of a key event as the charts know it; `digit` receives the digit
// of a digit key.
NavigationKey NavigationKeyOf(const QKeyEvent& event, int& digit);

}  // namespace skyvane::app
