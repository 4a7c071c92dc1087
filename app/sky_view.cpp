#include "app/sky_view.h"

#include <QColor>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QTimerEvent>
#include <QWheelEvent>

#include <cmath>

#include <cstdio>
#include <filesystem>

#include "app/constellation_dialog.h"
#include "app/find_command.h"
#include "app/finder_target.h"
#include "app/preferences.h"
#include "app/preferences_dialog.h"
#include "app/update_data_command.h"
#include "online/blocking_socket.h"
#include "online/click_report.h"
#include "online/data_file_update.h"
#include "online/http_exchange.h"
#include "online/report_request.h"
#include "online/version_check.h"
#include "places/location_dialog.h"
#include "places/locations.h"
#include "places/open_page.h"
#include "places/time_dialog.h"
#include "places/time_entry.h"
#include "print/page_metrics.h"
#include "print/print_charts.h"
#include "platform/profile_store.h"
#include "platform/worker_thread.h"
#include "render/geocentric_chart.h"
#include "render/color_filter.h"
#include "render/found_object_marks.h"
#include "render/heliocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/intro_screen.h"
#include "render/offscreen_dc.h"
#include "skydata/constellations.h"
#include "skydata/found_object.h"
#include "skydata/sky_data.h"

namespace skyvane::app {
namespace {

static_assert(print::kViewIntro == kViewIntro && print::kViewHeliocentric == kViewHeliocentric &&
              print::kViewGeocentric == kViewGeocentric &&
              print::kViewHorizontal == kViewHorizontal);

using online::kCountryKey;
using online::kInstalledSection;
using online::kNextDownloadKey;
using online::kUsageRecordKey;

constexpr char kHomePagePath[] = "/";
constexpr char kManualPagePath[] = "/manual.php";
constexpr char kDonatePagePath[] = "/donate.php";

// The last slot the digit keys, the editor and the store use.
constexpr int kLastUsedLocation = engine::kLocationsInUse - 1;

// The intro screen hands over after this many ticks (2 s).
constexpr int kIntroTicksBeforeDone = 3;

// Start-count rule: the home page on the fourth start, then now and again.
constexpr int kFourthStart = 4;
constexpr int kStartsBetweenVisits = 20;
constexpr int kStartsBetweenUpdateReminders = 7;

void StoreUsageRecord(online::UsageRecord& usage)
{
    online::EncodeUsageRecord(usage);
    platform::WriteProfileString(kInstalledSection, kUsageRecordKey, usage.text);
}

// A new installation's record: this build, a fresh id, nothing counted.
void StoreNewUsageRecord()
{
    online::UsageRecord fresh;
    fresh.build = online::kBuildNumber;
    fresh.installId = online::MakeInstallId();
    StoreUsageRecord(fresh);
}

}  // namespace

std::string VendorPageUrl(const std::string& path)
{
    return "http://" + online::HostHeaderText(online::VendorHost()) + path;
}

NavigationKey NavigationKeyOf(const QKeyEvent& event, int& digit)
{
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        digit = key - Qt::Key_0;
        return NavigationKey::kDigit;
    }
    switch (key) {
    case Qt::Key_N: return NavigationKey::kN;
    case Qt::Key_Return:
    case Qt::Key_Enter: return NavigationKey::kEnter;
    case Qt::Key_B: return NavigationKey::kB;
    case Qt::Key_F: return NavigationKey::kF;
    case Qt::Key_Left: return NavigationKey::kLeft;
    case Qt::Key_Right: return NavigationKey::kRight;
    case Qt::Key_Up: return NavigationKey::kUp;
    case Qt::Key_Down: return NavigationKey::kDown;
    // Only the keypad's plus and minus zoom; the main keyboard's do not.
    case Qt::Key_Plus: return keypad ? NavigationKey::kKeypadPlus : NavigationKey::kOther;
    case Qt::Key_Minus: return keypad ? NavigationKey::kKeypadMinus : NavigationKey::kOther;
    case Qt::Key_F1: return NavigationKey::kF1;
    case Qt::Key_Home: return NavigationKey::kHome;
    default: return NavigationKey::kOther;
    }
}

CSkyvaneView::CSkyvaneView(QWidget* parent, Clock clock)
    : QWidget(parent),
      clock_(clock ? std::move(clock) : Clock(places::SystemUtcNow)),
      clickRects_(std::make_unique<skydata::CatalogueClickRects>())
{
    // Every chart paints its whole area, so nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
}

CSkyvaneView::~CSkyvaneView()
{
    OnDestroy();
    skydata::ReleasePictures();
}

void CSkyvaneView::OnInitialUpdate()
{
    viewMode_ = kViewIntro;
    navigation_ = ChartNavigation{};
    SetInstantToNow();
    currentLocation_ = 0;
    selection_ = render::ObjectSelection{};
    introTicks_ = 0;
    introDone_ = 0;
    objectLinkRect_ = skydata::IntRect{};
    StartTimer(kStartupTimer, kStartupDelayMs);
    StartTimer(kIntroTimer, kIntroPeriodMs);
    ReloadPreferences();
}

void CSkyvaneView::LoadUsageRecord(std::string& storedText)
{
    if (!places::LocationsSaved()) StoreNewUsageRecord();
    storedText = platform::GetProfileString(kInstalledSection, kUsageRecordKey);
    if (storedText.empty()) {
        StoreNewUsageRecord();
        storedText = platform::GetProfileString(kInstalledSection, kUsageRecordKey);
    }
    online::DecodeUsageRecord(storedText, usage_);
    if (usage_.build != online::kBuildNumber) {
        // A record of another build: take it over, and look for the data
        // file that goes with this one at once.
        usage_.build = online::kBuildNumber;
        StoreUsageRecord(usage_);
        storedText = platform::GetProfileString(kInstalledSection, kUsageRecordKey);
        online::DecodeUsageRecord(storedText, usage_);
        platform::WriteProfileString(kInstalledSection, kNextDownloadKey, "");
    }
}

void CSkyvaneView::ApplyStartCountRule()
{
    const int starts = usage_.starts;
    // A damaged record can count 0 or below; that is no anniversary.
    if (starts <= 0) return;
    const bool updateKnown = online::UpdateAvailable();
    if (starts == kFourthStart)
        OpenVendorPage(kHomePagePath, kReportFourthStart);
    else if (!updateKnown && starts % kStartsBetweenVisits == 0)
        OpenVendorPage(kHomePagePath, kReportStartWithoutUpdate);
    else if (updateKnown && starts % kStartsBetweenUpdateReminders == 0)
        OpenVendorPage(kHomePagePath, kReportStartWithUpdate);
}

void CSkyvaneView::DeferredStartup()
{
    std::string storedText;
    LoadUsageRecord(storedText);

    usage_.starts += 1;
    online::EncodeUsageRecord(usage_);
    online::StartVersionCheck(online::kVersionText, storedText, false);

    ApplyStartCountRule();

    bool fileRead = false;
    skydata::LoadDataFileAtStartup(fileRead);
    // The deep sky is an addition: without it the charts are as ever, and
    // one line says why.
    std::string deepSkyMessage;
    std::error_code noFolder;
    if (!skydata::LoadDeepSkyAtStartup(
            DeepSkyFiles(std::filesystem::current_path(noFolder) / skydata::kDataFileName,
                         ExecutableFolder()),
            deepSkyMessage))
        std::fprintf(stderr, "skyvane: %s\n", deepSkyMessage.c_str());
    Redraw();

    const bool firstRun = !places::LocationsSaved();
    // Decided before the first-run table is saved: a new user always gets
    // a fresh data file.
    online::DataFileStartupPolicy();
    if (firstRun) {
        engine::LocationTable defaults;
        places::FillDefaultLocations(
            defaults, platform::GetProfileString(kInstalledSection, kCountryKey));
        places::SaveLocations(defaults);
    }

    if (!PreferencesWritten()) {
        WriteFirstRunPreferences();
        ReloadPreferences();
    }

    places::LoadLocations(sky_.locations);
    places::ApplyCurrentLocation(sky_.locations, currentLocation_, sky_);
    // Now in the civil time of the place just applied.
    if (navigation_.realTime) SetInstantToNow();
    engine_.ComputeSky(sky_);

    StartTimer(kUsageSecondsTimer, kUsageSecondsPeriodMs);
    StartTimer(kUsageSaveTimer, kUsageSavePeriodMs);
    // With the intro screen switched off the chart shown last opens at
    // once, following the clock as after the first key on the intro.
    if (ReadPreferenceValues().noIntro != 0) {
        KillTimer(kIntroTimer);
        introDone_ = 1;
        viewMode_ = LastChart();
        OnKeyDown(NavigationKey::kN, 0, 1);
    }
}

void CSkyvaneView::ReloadPreferences()
{
    const LoadedPreferences loaded = LoadPreferences();
    preferences_ = loaded.display;
    navigation_.timeControl = loaded.timeControl;
    navigation_.stepUnit = kStepUnitDay;
    emit NightModeChanged(preferences_.nightMode);
}

void CSkyvaneView::SetNightMode(bool on)
{
    WriteNightMode(on);
    preferences_.nightMode = on;
    emit NightModeChanged(on);
    Redraw();
}

void CSkyvaneView::OnTimer(int id)
{
    switch (id) {
    case kStartupTimer:
        KillTimer(kStartupTimer);
        DeferredStartup();
        break;
    case kIntroTimer:
        if (++introTicks_ > kIntroTicksBeforeDone) introDone_ = 1;
        Redraw();
        break;
    case kUsageSecondsTimer:
        if (viewMode_ == kViewHeliocentric) ++usage_.helioSeconds;
        if (viewMode_ == kViewGeocentric) ++usage_.geoSeconds;
        if (viewMode_ == kViewHorizontal) ++usage_.horizonSeconds;
        break;
    case kUsageSaveTimer:
        StoreUsageRecord(usage_);
        break;
    case kClockTimer:
        SetInstantToNow();
        Recompute();
        Redraw();
        break;
    case kHelioAnimationTimer:
        AnimateInstant(kViewHeliocentric, navigation_, sky_);
        Recompute();
        StopAnimationAtRangeEnd(kViewHeliocentric, kHelioAnimationTimer);
        Redraw();
        break;
    case kGeoAnimationTimer:
        AnimateInstant(kViewGeocentric, navigation_, sky_);
        Recompute();
        StopAnimationAtRangeEnd(kViewGeocentric, kGeoAnimationTimer);
        Redraw();
        break;
    case kHorizonAnimationTimer:
        AnimateInstant(kViewHorizontal, navigation_, sky_);
        Recompute();
        StopAnimationAtRangeEnd(kViewHorizontal, kHorizonAnimationTimer);
        Redraw();
        break;
    default:
        break;
    }
}

void CSkyvaneView::OnKeyDown(NavigationKey key, int digit, int repeatCount)
{
    if (viewMode_ == kViewIntro) {
        if (!introDone_) return;
        // Any key leaves the intro for the horizontal chart of now.
        KillTimer(kIntroTimer);
        viewMode_ = kViewHorizontal;
        StoreLastChart(viewMode_);
        key = NavigationKey::kN;
    }
    // The sky charts zoom with the keypad's plus and minus about their
    // centre, and Home gives the whole sky again; holding a key keeps
    // zooming.
    if (viewMode_ == kViewHorizontal || viewMode_ == kViewGeocentric) {
        constexpr double kKeyZoomStep = 1.25;
        if (key == NavigationKey::kHome) {
            SetChartAim(viewMode_, render::ViewAim::WholeSky());
            return;
        }
        if (key == NavigationKey::kKeypadPlus || key == NavigationKey::kKeypadMinus) {
            const render::ChartView view = *ChartViewOnScreen();
            const render::ScreenPoint centre = view.CentreOnScreen();
            SetChartAim(viewMode_,
                        view.ZoomedAbout(centre.x, centre.y,
                                         key == NavigationKey::kKeypadPlus ? kKeyZoomStep
                                                                           : 1 / kKeyZoomStep));
            return;
        }
    }
    const KeyOutcome outcome = HandleChartKey(viewMode_, key, digit, repeatCount,
                                              kLastUsedLocation, navigation_, sky_);
    for (int timer : outcome.startTimers)
        if (timer != 0) StartTimer(timer, timer == kClockTimer ? kClockPeriodMs : kAnimationPeriodMs);
    if (outcome.toggleHelpOverlay) selection_.helpOverlay = !selection_.helpOverlay;
    if (outcome.locationSlot >= 0 &&
        places::ApplyCurrentLocation(sky_.locations, outcome.locationSlot, sky_))
        currentLocation_ = outcome.locationSlot;
    for (int timer : outcome.stopTimers)
        if (timer != 0) KillTimer(timer);
    if (outcome.recompute) {
        if (navigation_.realTime) SetInstantToNow();
        Recompute();
    }
    if (outcome.redraw) Redraw();
}

void CSkyvaneView::OnCommand(int id)
{
    switch (id) {
    case kCommandHeliocentric: ShowChart(kViewHeliocentric); break;
    case kCommandGeocentric: ShowChart(kViewGeocentric); break;
    case kCommandHorizontal: ShowChart(kViewHorizontal); break;
    case kCommandIntroScreen:
        if (viewMode_ == kViewIntro) break;
        viewMode_ = kViewIntro;
        introTicks_ = 0;
        StartTimer(kIntroTimer, kIntroPeriodMs);
        KillChartTimers();
        Redraw();
        break;
    case kCommandEditLocation:
        if (viewMode_ != kViewIntro) EditLocation();
        break;
    case kCommandEnterTime:
        if (viewMode_ != kViewIntro) EnterTime();
        break;
    case kCommandSearchConstellation: OnSearchConstellation(); break;
    case kCommandSearchObject: OnSearchObject(); break;
    case kCommandPreferences:
        if (viewMode_ != kViewIntro) EditPreferences();
        break;
    case kCommandUpdateDataFile: UpdateDataFileFromMenu(); break;
    // Also on the intro screen: the eyes may already be dark-adapted.
    case kCommandNightMode: SetNightMode(!preferences_.nightMode); break;
    case kCommandManual: OpenVendorPage(kManualPagePath, kReportManual); break;
    case kCommandWebsite: OpenVendorPage(kHomePagePath, kReportWebsite); break;
    case kCommandDonate: OpenVendorPage(kDonatePagePath, kReportDonate); break;
    default: break;
    }
}

void CSkyvaneView::ShowChart(int viewMode)
{
    if (!introDone_) return;
    viewMode_ = viewMode;
    StoreLastChart(viewMode);
    KillChartTimers();
    Redraw();
}

void CSkyvaneView::EditLocation()
{
    places::CLocationEditorDialog dialog(
        places::EditorSlotsFromTable(sky_.locations),
        places::LocationsPageUrl(online::HostHeaderText(online::VendorHost())), this);
    dialog.exec();
    // Whichever way it closed: the store holds what counts.
    places::LoadLocations(sky_.locations);
    places::ApplyCurrentLocation(sky_.locations, currentLocation_, sky_);
    // Following the clock, the place's zone may have changed.
    if (navigation_.realTime) SetInstantToNow();
    Recompute();
    Redraw();
}

void CSkyvaneView::EnterTime()
{
    KillChartTimers();
    places::CTimeDialog dialog(this, clock_);
    dialog.SetEntry(places::TimeEntryOf(sky_));
    dialog.SetTimeZone(sky_.timeZone);
    dialog.exec();
    // Cancel hands back what it was given (and a daylight-saving box already
    // changed), so both ways take the entry. An entered instant no longer
    // follows the clock; otherwise the next digit key would jump back to now.
    places::ApplyTimeEntry(sky_, dialog.Entry(), engine_);
    navigation_.realTime = 0;
    Redraw();
}

void CSkyvaneView::EditPreferences()
{
    CPreferencesDialog dialog(this);
    dialog.exec();
    ReloadPreferences();
    Redraw();
}

void CSkyvaneView::OnSearchConstellation()
{
    if (viewMode_ == kViewIntro) return;
    selection_.selectedStar = 0;
    // One selected object at a time: the search replaces a Messier object
    // and a body found by name.
    selection_.selectedDeepSky = -1;
    selection_.highlightedBody = -1;
    CConstellationDialog dialog(*skydata::CurrentSkyData()->catalogue, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const skydata::ConstellationChoice choice = skydata::ChooseConstellationStar(
        *skydata::CurrentSkyData()->catalogue, dialog.SelectedIndex());
    selection_.selectedStar = choice.selectedStar;
    // The chart turns to the constellation's chosen star.
    if (choice.redraw) {
        CentreOnObject({skydata::ObjectKind::kStar, choice.selectedStar});
        Redraw();
    }
}

void CSkyvaneView::OnSearchObject()
{
    if (viewMode_ == kViewIntro) return;
    if (!findDialog_) {
        findDialog_ = new CFindDialog(
            skydata::CurrentSkyData(), [this](const QString& name) { return FindObject(name); },
            [this] { ShowChart(kViewGeocentric); }, this);
        findDialog_->setModal(false);
        connect(findDialog_, &QDialog::finished, findDialog_, &QObject::deleteLater);
        connect(findDialog_, &CFindDialog::Answered, this, &CSkyvaneView::PlaceFindDialog);
        findDialog_->adjustSize();
        PlaceFindDialog();
    }
    findDialog_->show();
    findDialog_->raise();
    findDialog_->activateWindow();
}



namespace {

render::ChartShown ChartOf(int viewMode)
{
    switch (viewMode) {
    case kViewHeliocentric: return render::ChartShown::kHeliocentric;
    case kViewGeocentric: return render::ChartShown::kGeocentric;
    case kViewHorizontal: return render::ChartShown::kHorizontal;
    default: return render::ChartShown::kIntro;
    }
}

// The one line that says why the chart on screen does not show an object.
QString NotOnChartNote(const skydata::FoundObject& found, render::ChartShown chart)
{
    const QString name = QString::fromStdString(found.name);
    using skydata::ObjectKind;
    switch (chart) {
    case render::ChartShown::kHorizontal: {
        if (found.altitude > 0)
            return name + " is above the horizon but not drawn now: the sky is too bright, "
                          "or the preferences hide it.";
        const engine::RiseTransitSet& rts = found.riseTransitSet;
        QString when;
        if (rts.rise && *rts.rise > found.jd)
            when = ", it rises at " + QString::fromStdString(skydata::LocalCivilTimeText(
                                          *rts.rise, found.civilOffsetHours))
                                          .mid(11);
        else if (rts.state == engine::RiseSetState::kNeverRises)
            when = ", it does not rise today";
        return name + " is below the horizon now" + when + ".";
    }
    case render::ChartShown::kGeocentric:
        if (found.object.kind == ObjectKind::kMessier)
            return name + " is not on this chart: Messier objects are on the horizontal chart.";
        return name + " is not on this chart: it shows declinations between -45 and +45 degrees.";
    case render::ChartShown::kHeliocentric:
        return name + " is not on the heliocentric chart.";
    case render::ChartShown::kIntro:
        break;
    }
    return {};
}

}  // namespace

FindOutcome CSkyvaneView::FindObject(const QString& name)
{
    FindOutcome outcome;
    const auto data = skydata::CurrentSkyData();
    const std::string text = name.toStdString();
    const std::optional<skydata::ObjectRef> object = data->names->Find(text);
    if (!object) {
        constexpr std::size_t kSuggestions = 5;
        outcome.report = "No object is called \"" + name.trimmed() + "\".";
        const std::vector<skydata::NameMatch> closest = data->names->Closest(text, kSuggestions);
        for (std::size_t i = 0; i < closest.size(); ++i)
            outcome.report += (i == 0 ? " The closest names: " : ", ") +
                              QString::fromStdString(closest[i].name);
        return outcome;
    }
    outcome.found = true;

    // A star or Messier object is selected as a click on it would select
    // it; a body is framed in the chart's table instead.
    selection_ = render::ObjectSelection{};
    switch (object->kind) {
    case skydata::ObjectKind::kStar: selection_.selectedStar = object->index; break;
    case skydata::ObjectKind::kMessier: selection_.selectedDeepSky = object->index; break;
    case skydata::ObjectKind::kBody: selection_.highlightedBody = object->index; break;
    case skydata::ObjectKind::kHipStar: selection_.selectedDeepStar = object->index; break;
    case skydata::ObjectKind::kNgcObject: selection_.selectedNgcObject = object->index; break;
    }
    Redraw();

    const skydata::DeepSkyCatalogue* deep = data->deepSky.get();
    const skydata::FoundObject found =
        skydata::DescribeFoundObject(*data->catalogue, *object, sky_, deep);
    // Azimuth counted as the chart's table counts it.
    outcome.report = QString::fromStdString(
        FormatFoundObjectText(found, *data->catalogue, sky_, preferences_.northAtZero, deep));
    const render::ChartShown chart = ChartOf(viewMode_);
    const bool centred = CentreOnObject(*object);
    // A zoomed geocentric chart reaches beyond the band and shows the
    // Messier objects: centred there, the object is on it.
    const bool deepObject = object->kind == skydata::ObjectKind::kHipStar ||
                            object->kind == skydata::ObjectKind::kNgcObject;
    const bool shownZoomed = centred && (viewMode_ == kViewGeocentric || deepObject) &&
                             object->kind != skydata::ObjectKind::kBody;
    if (!shownZoomed &&
        !render::ChartDrawsObject(chart, sky_, *data->catalogue, preferences_, *object)) {
        outcome.note = NotOnChartNote(found, chart);
        outcome.offerGeocentric =
            chart != render::ChartShown::kGeocentric &&
            render::ChartDrawsObject(render::ChartShown::kGeocentric, sky_, *data->catalogue,
                                     preferences_, *object);
    }
    return outcome;
}

render::ViewAim CSkyvaneView::ChartAim(int viewMode) const
{
    if (viewMode == kViewHorizontal) return horizontalAim_;
    if (viewMode == kViewGeocentric) return geocentricAim_;
    return render::ViewAim::WholeSky();
}

void CSkyvaneView::SetChartAim(int viewMode, const render::ViewAim& aim)
{
    if (viewMode == kViewHorizontal)
        horizontalAim_ = aim;
    else if (viewMode == kViewGeocentric)
        geocentricAim_ = aim;
    else
        return;
    if (viewMode == viewMode_) Redraw();
}

std::optional<render::ChartView> CSkyvaneView::ChartViewOnScreen() const
{
    if (viewMode_ == kViewHorizontal)
        return render::HorizontalChartView(height(), width(), preferences_, horizontalAim_);
    if (viewMode_ == kViewGeocentric)
        return render::GeocentricChartView(height(), width(), geocentricAim_);
    return std::nullopt;
}

bool CSkyvaneView::CentreOnObject(const skydata::ObjectRef& object)
{
    if (viewMode_ != kViewHorizontal && viewMode_ != kViewGeocentric) return false;
    const auto data = skydata::CurrentSkyData();
    const skydata::FoundObject found =
        skydata::DescribeFoundObject(*data->catalogue, object, sky_, data->deepSky.get());
    const bool horizontal = viewMode_ == kViewHorizontal;
    if (found.name.empty() || (horizontal && !(found.altitude > 0))) return false;
    const render::ViewAim current = ChartAim(viewMode_);
    const bool again = lastCentred_ && lastCentred_->first == object &&
                       lastCentred_->second == viewMode_;
    // From the whole sky a search turns to a quarter of it round the object.
    constexpr double kHorizontalFirstField = 90;
    constexpr double kGeocentricFirstField = 45;
    double field = current.fieldDegrees;
    // The deep sky shows only in a narrow field: a finder field at once, a
    // few degrees on the second search.
    constexpr double kDeepSecondField = 2;
    const bool deepObject = object.kind == skydata::ObjectKind::kHipStar ||
                            object.kind == skydata::ObjectKind::kNgcObject;
    if (deepObject)
        field = again ? kDeepSecondField : std::min(field > 0 ? field : 180.0, render::kFinderFieldDegrees);
    else if (again)
        field = render::kFinderFieldDegrees;
    else if (current.wholeSky)
        field = horizontal ? kHorizontalFirstField : kGeocentricFirstField;
    SetChartAim(viewMode_, render::ViewAim::At(ChartPointOf(found, horizontal), field));
    lastCentred_ = std::make_pair(object, viewMode_);
    return true;
}

void CSkyvaneView::OnWheel(QPointF position, int angleDelta)
{
    const std::optional<render::ChartView> view = ChartViewOnScreen();
    if (!view || angleDelta == 0) return;
    // One notch of the wheel zooms by a quarter.
    constexpr double kNotch = 120;
    constexpr double kNotchZoom = 1.25;
    const double factor = std::pow(kNotchZoom, angleDelta / kNotch);
    SetChartAim(viewMode_, view->ZoomedAbout(position.x(), position.y(), factor));
}

void CSkyvaneView::OnDrag(QPointF from, QPointF to, const render::ViewAim& aimAtPress)
{
    if (viewMode_ == kViewHorizontal) {
        const render::ChartView view =
            render::HorizontalChartView(height(), width(), preferences_, aimAtPress);
        SetChartAim(viewMode_, view.PannedBy(to.x() - from.x(), to.y() - from.y()));
    } else if (viewMode_ == kViewGeocentric) {
        const render::ChartView view = render::GeocentricChartView(height(), width(), aimAtPress);
        SetChartAim(viewMode_, view.PannedBy(to.x() - from.x(), to.y() - from.y()));
    }
}

void CSkyvaneView::OnDoubleClick(QPoint point)
{
    const std::optional<render::ChartView> view = ChartViewOnScreen();
    if (!view) return;
    // A double click on a star or Messier object is a click on it, not a
    // wish to move the sky.
    const auto hits = [&](const skydata::IntRect& r) {
        return point.x() >= r.left && point.x() < r.right && point.y() >= r.top &&
               point.y() < r.bottom;
    };
    for (const skydata::IntRect& r : clickRects_->stars)
        if (hits(r)) return;
    for (const skydata::IntRect& r : clickRects_->deepSky)
        if (hits(r)) return;
    if (!view->SkyAt(point.x(), point.y())) return;
    SetChartAim(viewMode_, view->CentredAt(point.x(), point.y()));
}

std::optional<QPoint> CSkyvaneView::SelectionOnScreen() const
{
    const auto data = skydata::CurrentSkyData();
    std::optional<skydata::ObjectRef> object;
    const skydata::IntRect* rect = nullptr;
    if (selection_.selectedStar >= 0 && selection_.selectedStar < skydata::kStarCapacity) {
        object = skydata::ObjectRef{skydata::ObjectKind::kStar, selection_.selectedStar};
        rect = &clickRects_->stars[static_cast<std::size_t>(selection_.selectedStar)];
    } else if (selection_.selectedDeepSky >= 0 &&
               selection_.selectedDeepSky < skydata::kDeepSkyCapacity) {
        object = skydata::ObjectRef{skydata::ObjectKind::kMessier, selection_.selectedDeepSky};
        rect = &clickRects_->deepSky[static_cast<std::size_t>(selection_.selectedDeepSky)];
    }
    // A click rectangle keeps its last place when its object is not drawn.
    if (!object || !render::ChartDrawsObject(ChartOf(viewMode_), sky_, *data->catalogue,
                                             preferences_, *object))
        return std::nullopt;
    return QPoint((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
}

void CSkyvaneView::PlaceFindDialog()
{
    if (!findDialog_) return;
    // The frame just asked for, so that the click rectangles are this one's.
    repaint();
    const QRect chart(mapToGlobal(QPoint(0, 0)), size());
    const QRect screenArea = screen() != nullptr ? screen()->availableGeometry() : chart;
    std::optional<QPoint> object = SelectionOnScreen();
    if (object) *object = mapToGlobal(*object);
    findDialog_->move(FindDialogPosition(chart, screenArea, findDialog_->frameGeometry().size(),
                                         object));
}

bool CSkyvaneView::SaveChartImage(const QString& path, const QByteArray& format, QString* why)
{
    const auto fail = [why](const QString& reason) {
        if (why != nullptr) *why = reason;
        return false;
    };
    // What the window shows, drawn again into a picture of the window's
    // own pixels (its device pixel ratio included).
    const QImage picture = grab().toImage();
    QByteArray kind = format.toLower();
    if (kind.isEmpty()) kind = QFileInfo(path).suffix().toLower().toLatin1();
    if (kind == "jpeg") kind = "jpg";
    if (kind != "png" && kind != "jpg") return fail("Charts are saved as PNG or JPEG pictures.");
    // Written beside the target and renamed over it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    QImageWriter writer(&file, kind);
    constexpr int kJpegQuality = 95;
    if (kind == "jpg") writer.setQuality(kJpegQuality);
    if (!writer.write(picture)) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

void CSkyvaneView::UpdateDataFileFromMenu()
{
    // One download at a time from the menu: a second click brings the
    // running one's progress forward.
    if (updateProgress_) {
        updateProgress_->raise();
        return;
    }
    const online::HostAddress host = online::VendorHost();
    updateProgress_ = new QProgressDialog(
        QStringLiteral("Downloading the sky data file from ") +
            QString::fromStdString(online::HostHeaderText(host)) + QStringLiteral(" ..."),
        QString(), 0, 0, this);
    updateProgress_->setObjectName("updateProgress");
    updateProgress_->setWindowTitle(QStringLiteral("Update datafile"));
    updateProgress_->setWindowModality(Qt::NonModal);
    updateProgress_->setMinimumDuration(0);
    updateProgress_->setAttribute(Qt::WA_DeleteOnClose);
    updateProgress_->show();

    // The worker owns its copies and answers through the event queue; a
    // window closed meanwhile gets nothing.
    QPointer<CSkyvaneView> window(this);
    const std::string path =
        std::string(online::kDataFileServerFolder) + online::kDataFileServerName;
    const bool started = platform::StartWorkerThread(
        [](online::HostAddress target, std::string file, QPointer<CSkyvaneView> answerTo) {
            online::SocketLibraryScope scope;
            const online::DataFileDownloadOutcome outcome = online::DownloadDataFile(target, file);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [answerTo = std::move(answerTo), outcome] {
                    if (answerTo) answerTo->DataFileUpdated(outcome);
                },
                Qt::QueuedConnection);
        },
        host, path, std::move(window));
    if (!started) {
        online::DataFileDownloadOutcome outcome;
        outcome.failure = "the program could not start the download";
        DataFileUpdated(outcome);
    }
}

void CSkyvaneView::DataFileUpdated(const online::DataFileDownloadOutcome& outcome)
{
    if (updateProgress_) updateProgress_->close();
    const bool done = outcome.loaded;
    std::string why = DataFileUpdateFailureInWords(outcome, online::VendorHost());
    if (why.empty()) why = "no reason given";
    auto* box = new QMessageBox(
        done ? QMessageBox::Information : QMessageBox::Warning, QStringLiteral("Update datafile"),
        done ? QStringLiteral("The sky data file is updated and loaded.")
             : QStringLiteral("The sky data file was not updated: ") +
                   QString::fromStdString(why) + QStringLiteral("."),
        QMessageBox::Ok, this);
    box->setObjectName("updateOutcome");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    if (done) Redraw();
}

void CSkyvaneView::OpenPage(const std::string& url) { places::OpenPageOrSay(url, this); }

void CSkyvaneView::OpenVendorPage(const std::string& path, int reportCode)
{
    OpenPage(VendorPageUrl(path));
    online::SendClickReport(usage_.installId, reportCode, 0);
}

void CSkyvaneView::LeftButtonDown(QPoint point)
{
    if (viewMode_ == kViewIntro) return;
    const auto data = skydata::CurrentSkyData();
    const render::PickResult result =
        render::PickObject(point, *data->catalogue, *clickRects_, objectLinkRect_, selection_);
    if (result.pageAddress) {
        OpenPage(*result.pageAddress);
        online::SendClickReport(usage_.installId, render::kObjectLinkClickCode, 0);
    }
    if (result.invalidate) Redraw();
}

render::ViewAim CSkyvaneView::PrintedAim() const
{
    // What the user sees: a chart zoomed in on screen prints the finder
    // page of its centre and field; one that shows the whole sky prints
    // the whole sky, whatever field it was last left at.
    const std::optional<render::ChartView> view = ChartViewOnScreen();
    if (!view || view->WholeSky()) return render::ViewAim::WholeSky();
    return ChartAim(viewMode_);
}

void CSkyvaneView::OnPreparePrinting(QPrinter& printer) const
{
    printer.setFromTo(1, 1);
    if (viewMode_ == kViewIntro) return;
    printer.setPageOrientation(print::PrintsLandscape(viewMode_, PrintedAim())
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
}

void CSkyvaneView::OnPrint(QPainter& painter, const QPrinter& printer) const
{
    const auto data = skydata::CurrentSkyData();
    print::PrintChart(viewMode_, painter, print::PageMetricsOf(printer), sky_, *data->catalogue,
                      preferences_, navigation_.heliocentricZoom, PrintedAim(),
                      data->deepSky.get());
}

void CSkyvaneView::OnDestroy()
{
    if (destroyed_) return;
    destroyed_ = true;
    for (const auto& [id, qtId] : timers_) killTimer(qtId);
    timers_.clear();
    // Before the deferred start-up there is no record of this run to keep.
    if (usage_.text.empty()) return;
    StoreUsageRecord(usage_);
    if (usage_.starts == 1 || usage_.starts == kFourthStart)
        online::StartVersionCheck(online::kVersionText, usage_.text, true);
}

void CSkyvaneView::SetInstantToNow()
{
    places::SetInstantToNow(sky_, clock_);
}

void CSkyvaneView::StopAnimationAtRangeEnd(int viewMode, int timer)
{
    if (!app::StopAnimationAtRangeEnd(viewMode, navigation_, sky_)) return;
    KillTimer(timer);
}

void CSkyvaneView::Recompute()
{
    engine_.ComputeSky(sky_);
    engine::FoldShownInstant(sky_);
}

void CSkyvaneView::SetTelescopeMark(std::optional<render::TelescopeMark> mark)
{
    if (selection_.telescope == mark) return;
    selection_.telescope = mark;
    if (followTelescope_) CentreOnTelescope();
    Redraw();
}

void CSkyvaneView::SetFollowTelescope(bool follow)
{
    followTelescope_ = follow;
    if (follow) CentreOnTelescope();
}

void CSkyvaneView::CentreOnTelescope()
{
    if (!selection_.telescope || (viewMode_ != kViewHorizontal && viewMode_ != kViewGeocentric))
        return;
    const engine::Equatorial ofDate{selection_.telescope->rightAscension,
                                    selection_.telescope->declination};
    const bool horizontal = viewMode_ == kViewHorizontal;
    render::SkyPoint centre{ofDate.rightAscension, ofDate.declination};
    if (horizontal) {
        const engine::Horizontal h = engine::HorizontalPlaceOf(sky_, ofDate);
        // Below the horizon the horizontal chart has nothing to centre on.
        if (!(h.altitude > 0)) return;
        centre = {h.azimuth, h.altitude};
    }
    // From the whole sky, following turns to a quarter of it round the
    // telescope, as a search does; a field chosen since is kept.
    constexpr double kHorizontalFirstField = 90;
    constexpr double kGeocentricFirstField = 45;
    const render::ViewAim current = ChartAim(viewMode_);
    const double field = current.wholeSky
                             ? (horizontal ? kHorizontalFirstField : kGeocentricFirstField)
                             : current.fieldDegrees;
    SetChartAim(viewMode_, render::ViewAim::At(centre, field));
}

engine::SkyState CSkyvaneView::SkyNow() const
{
    engine::SkyState now = sky_;
    places::SetInstantToNow(now, clock_);
    engine_.ComputeSky(now);
    engine::FoldShownInstant(now);
    return now;
}

void CSkyvaneView::Redraw()
{
    ++redrawRequests_;
    update();
}

void CSkyvaneView::StartTimer(int id, int periodMs)
{
    // Starting a running timer again restarts it with the new period.
    KillTimer(id);
    const int qtId = startTimer(periodMs, Qt::PreciseTimer);
    if (qtId != 0) timers_[id] = qtId;
}

void CSkyvaneView::KillTimer(int id)
{
    const auto found = timers_.find(id);
    if (found == timers_.end()) return;
    killTimer(found->second);
    timers_.erase(found);
}

void CSkyvaneView::KillChartTimers()
{
    for (int id : {kGeoAnimationTimer, kHelioAnimationTimer, kHorizonAnimationTimer, kClockTimer})
        KillTimer(id);
}

void CSkyvaneView::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, qtId] : timers_)
        if (qtId == event->timerId()) {
            OnTimer(id);
            return;
        }
    QWidget::timerEvent(event);
}

void CSkyvaneView::keyPressEvent(QKeyEvent* event)
{
    // Alt and its combinations (and F10) belong to the menu bar: Alt+F opens
    // the File menu, it does not animate time, and it does not leave the intro.
    if (event->modifiers().testFlag(Qt::AltModifier) || event->key() == Qt::Key_Alt ||
        event->key() == Qt::Key_F10) {
        QWidget::keyPressEvent(event);
        return;
    }
    int digit = 0;
    const NavigationKey key = NavigationKeyOf(*event, digit);
    OnKeyDown(key, digit, event->count());
    QWidget::keyPressEvent(event);
}

void CSkyvaneView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        pressPoint_ = event->position();
        aimAtPress_ = ChartAim(viewMode_);
        dragging_ = false;
        LeftButtonDown(event->position().toPoint());
    }
    QWidget::mousePressEvent(event);
}

void CSkyvaneView::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressPoint_ || !event->buttons().testFlag(Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // A press that wanders a few pixels is still a click.
    constexpr int kDragThreshold = 4;
    if (!dragging_ && (event->position() - *pressPoint_).manhattanLength() < kDragThreshold) return;
    if (!dragging_) {
        dragging_ = true;
        setCursor(Qt::ClosedHandCursor);
    }
    OnDrag(*pressPoint_, event->position(), aimAtPress_);
}

void CSkyvaneView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        pressPoint_.reset();
        if (dragging_) unsetCursor();
        dragging_ = false;
    }
    QWidget::mouseReleaseEvent(event);
}

void CSkyvaneView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (ChartViewOnScreen() && delta != 0) {
        OnWheel(event->position(), delta);
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

void CSkyvaneView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The toolkit turns the second click of a double click into this event,
    // and its default handling would treat it as one more press: the object
    // link would open its page twice. A double click picks nothing; on empty
    // sky it centres the chart there.
    if (event->button() == Qt::LeftButton) OnDoubleClick(event->position().toPoint());
    event->ignore();
}

void CSkyvaneView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setBackground(QColor(0, 0, 0));
    // Everything drawn below passes through the night filter when it is on.
    const render::ScopedColorFilter filter(preferences_.nightMode ? render::ColorFilter::kNight
                                                                  : render::ColorFilter::kNone);
    const auto data = skydata::CurrentSkyData();
    const int w = width();
    const int h = height();
    const engine::SkyState state = sky_;
    const int zoom = navigation_.heliocentricZoom;
    const int timeControl = navigation_.timeControl;
    const int stepUnit = navigation_.stepUnit;
    constexpr auto window = render::OutputKind::Window;
    switch (viewMode_) {
    case kViewHeliocentric:
        render::DrawHeliocentricChart(painter, window, state, h, w, zoom, objectLinkRect_,
                                      timeControl, stepUnit, preferences_,
                                      selection_.highlightedBody);
        break;
    case kViewGeocentric:
        render::DrawGeocentricChart(painter, window, state, h, w, zoom, objectLinkRect_,
                                    timeControl, stepUnit, *data->catalogue, *clickRects_,
                                    preferences_, selection_, geocentricAim_, data->deepSky.get());
        break;
    case kViewHorizontal:
        render::DrawHorizontalChart(painter, window, state, h, w, zoom, objectLinkRect_,
                                    timeControl, stepUnit, *data->catalogue, *clickRects_,
                                    preferences_, selection_, horizontalAim_, data->deepSky.get());
        break;
    case kViewIntro:
        render::DrawIntroScreen(painter, h, w, introDone_ != 0, *data);
        break;
    default:
        break;
    }
}

}  // namespace skyvane::app
