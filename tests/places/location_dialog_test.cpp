// The location editor: its controls by id, what it shows for a slot, what
// focus loss stores, and what "Save and Exit" and the close box write.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "places/location_dialog.h"
#include "places/locations.h"
#include "platform/profile_store.h"
#include "platform/url_opener.h"

namespace skyvane::places {
namespace {

using platform::GetProfileInt;
using platform::GetProfileString;

constexpr char kLinksPage[] = "http://127.0.0.1:9/locations/LOC_ALLCOUNTRIES.php";

class LocationEditorTest : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("skyvane-location-editor-" + std::to_string(::getpid()) + "-" + info->name() + ".ini");
        std::filesystem::remove(path_);
        platform::UseProfileFile(path_.string());
        platform::SetUrlOpener([this](const std::string& url) {
            opened_.push_back(url);
            return true;
        });

        engine::LocationTable table;
        FillDefaultLocations(table, "US");
        dialog_ = std::make_unique<CLocationEditorDialog>(EditorSlotsFromTable(table), kLinksPage);
        dialog_->show();
        QApplication::setActiveWindow(dialog_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    }
    void TearDown() override
    {
        dialog_.reset();
        platform::SetUrlOpener({});
        platform::UseProfileFile("");
        std::filesystem::remove(path_);
    }

    template <typename Widget>
    Widget* Control(const char* id)
    {
        auto* widget = dialog_->findChild<Widget*>(id);
        EXPECT_NE(widget, nullptr) << "control " << id;
        return widget;
    }

    // Typing into an edit the way a user does: focus, select all, type.
    void Type(const char* id, const QString& text)
    {
        QLineEdit* edit = Control<QLineEdit>(id);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        // Key events exist only for ASCII; other letters arrive as input
        // text, which the length limit applies to all the same.
        bool ascii = true;
        for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
        if (text.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else if (ascii) {
            QTest::keyClicks(edit, text);
        } else {
            edit->insert(text);
        }
    }

    void ClickRow(const char* id, int row)
    {
        QListWidget* list = Control<QListWidget>(id);
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void Click(const char* id) { QTest::mouseClick(Control<QPushButton>(id), Qt::LeftButton); }

    // Clicks "Save and Exit" and answers the message box it may show;
    // returns the box's text, empty when none came.
    QString SaveExpectingMessage()
    {
        QString text;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            poll.stop();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        poll.start();
        Click("1");
        // Back to the dialog, as a user is after the box, so that focus
        // changes store the edits again.
        if (dialog_->isVisible()) {
            QApplication::setActiveWindow(dialog_.get());
            EXPECT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
        }
        return text;
    }

    static std::string Stored(const std::string& key) { return GetProfileString("Location", key); }

    QStringList Names()
    {
        QStringList names;
        QListWidget* list = Control<QListWidget>("1000");
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }

    std::filesystem::path path_;
    std::vector<std::string> opened_;
    std::unique_ptr<CLocationEditorDialog> dialog_;
};

QStringList Entries(QListWidget* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
    return entries;
}

TEST_F(LocationEditorTest, ControlsAndTexts)
{
    EXPECT_EQ(dialog_->windowTitle(), "Location editor");
    EXPECT_EQ(Entries(Control<QListWidget>("1005")), QStringList({"East", "West"}));
    EXPECT_EQ(Entries(Control<QListWidget>("1007")), QStringList({"North", "South"}));
    EXPECT_EQ(Entries(Control<QListWidget>("1009")), QStringList({"No", "Yes"}));
    EXPECT_EQ(Control<QPushButton>("1")->text(), "Save and Exit");
    EXPECT_EQ(Control<QPushButton>("1037")->text(),
              "Click here to see links and find your\nCity and exact coordinates online !");
    QStringList labels;
    for (const QLabel* label : dialog_->findChildren<QLabel*>()) labels << label->text();
    for (const char* text :
         {"Location #", "Location Name", "Longitude", "Latitude", "Timezone", "Hours to UT", "Daylight Saving"})
        EXPECT_TRUE(labels.contains(text)) << text;
    EXPECT_EQ(Control<QLineEdit>("1030")->maxLength(), 30);
    EXPECT_EQ(Control<QLineEdit>("1008")->maxLength(), 5);
    EXPECT_TRUE(Control<QLineEdit>("1004")->alignment() & Qt::AlignRight);
    EXPECT_TRUE(Control<QLineEdit>("1006")->alignment() & Qt::AlignRight);
}

TEST_F(LocationEditorTest, OpensOnSlotZeroAndShowsTheSelectedSlot)
{
    EXPECT_EQ(Names(), QStringList({"Thousand Oaks, CA, USA", "New York, NY, USA", "Zurich, Switzerland",
                                    "Sydney, Australia", "North Pole"}));
    EXPECT_EQ(Control<QListWidget>("1000")->currentRow(), 0);
    EXPECT_EQ(Control<QLineEdit>("1030")->text(), "Thousand Oaks, CA, USA");
    EXPECT_EQ(Control<QLineEdit>("1004")->text(), "118.82333");
    EXPECT_EQ(Control<QListWidget>("1005")->currentRow(), kSideWest);
    EXPECT_EQ(Control<QLineEdit>("1006")->text(), "34.21389");
    EXPECT_EQ(Control<QListWidget>("1007")->currentRow(), kSideNorth);
    EXPECT_EQ(Control<QLineEdit>("1008")->text(), "-8.0");
    EXPECT_EQ(Control<QListWidget>("1009")->currentRow(), 0);

    ClickRow("1000", 3);
    EXPECT_EQ(Control<QLineEdit>("1030")->text(), "Sydney, Australia");
    EXPECT_EQ(Control<QLineEdit>("1004")->text(), "151.22000");
    EXPECT_EQ(Control<QListWidget>("1005")->currentRow(), kSideEast);
    EXPECT_EQ(Control<QLineEdit>("1006")->text(), "33.90000");
    EXPECT_EQ(Control<QListWidget>("1007")->currentRow(), kSideSouth);
    EXPECT_EQ(Control<QLineEdit>("1008")->text(), "10.0");
}

TEST_F(LocationEditorTest, SaveAndExitWritesTheShownTableToFourDecimals)
{
    Click("1");
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(GetProfileInt("Location", "datasaved"), 1);
    EXPECT_EQ(Stored("location0"), "Thousand Oaks, CA, USA");
    EXPECT_EQ(Stored("longitude0"), "118.8233");
    EXPECT_EQ(Stored("longitude2"), "-8.5000");
    EXPECT_EQ(Stored("latitude3"), "-33.9000");
    EXPECT_EQ(Stored("timezone1"), "-5.0");
}

TEST_F(LocationEditorTest, ChangingOnlyTheSideListIsSaved)
{
    ClickRow("1000", 1);
    ClickRow("1005", kSideEast);  // New York, now east of Greenwich
    Click("1");
    EXPECT_EQ(Stored("longitude1"), "-74.0060");
    EXPECT_EQ(Stored("longitude0"), "118.8233");  // other slots as they were
}

TEST_F(LocationEditorTest, EditsAreStoredIntoTheirSlotWhenTheyLoseFocus)
{
    ClickRow("1000", 2);
    Type("1004", "7.25");
    Type("1006", "46.5");
    ClickRow("1007", kSideSouth);
    Type("1008", "2");
    ClickRow("1009", 1);
    ClickRow("1000", 4);  // focus leaves the daylight-saving list here

    const LocationEditorSlot& zurich = dialog_->Slots()[2];
    EXPECT_EQ(zurich.longitudeText, "7.25");
    EXPECT_EQ(zurich.latitudeText, "46.5");
    EXPECT_EQ(zurich.latitudeSide, kSideSouth);
    EXPECT_EQ(zurich.timeZoneText, "2");
    EXPECT_EQ(zurich.dst, 1);
    EXPECT_EQ(dialog_->Slots()[4].dst, 0);  // the slot now shown is untouched

    ClickRow("1000", 2);
    EXPECT_EQ(Control<QLineEdit>("1004")->text(), "7.25");
    EXPECT_EQ(Control<QListWidget>("1007")->currentRow(), kSideSouth);

    Click("1");
    EXPECT_EQ(Stored("longitude2"), "-7.2500");
    EXPECT_EQ(Stored("latitude2"), "-46.5000");
    EXPECT_EQ(Stored("timezone2"), "2");
    EXPECT_EQ(GetProfileInt("Location", "DLS2"), 1);
}

TEST_F(LocationEditorTest, AMagnitudeTypedWithItsOwnMinusKeepsItsPlace)
{
    ClickRow("1000", 2);  // Zurich: East, North
    Type("1004", "-8.5");
    ClickRow("1007", kSideSouth);
    Type("1006", "-47.32");
    Click("1");
    EXPECT_EQ(Stored("longitude2"), "-8.5000");
    EXPECT_EQ(Stored("latitude2"), "-47.3200");
}

TEST_F(LocationEditorTest, RenamingTwiceKeepsFiveEntriesAndTheSelection)
{
    ClickRow("1000", 1);
    Type("1030", "Boston");
    ClickRow("1005", kSideWest);  // name loses focus: list refreshed
    Type("1030", "Boston, MA, USA");
    ClickRow("1005", kSideWest);
    EXPECT_EQ(Names(), QStringList({"Thousand Oaks, CA, USA", "Boston, MA, USA", "Zurich, Switzerland",
                                    "Sydney, Australia", "North Pole"}));
    EXPECT_EQ(Control<QListWidget>("1000")->currentRow(), 1);
}

TEST_F(LocationEditorTest, NamesAreLimitedAndKeepTheirLetters)
{
    Type("1030", QString::fromUtf8("Z\xc3\xbcrich, a name far longer than thirty letters"));
    Type("1008", "+10.50");
    Click("1");
    EXPECT_EQ(Stored("location0"), "Z\xc3\xbcrich, a name far longer than");  // 30 letters
    EXPECT_EQ(Stored("timezone0"), "+10.5");
}

TEST_F(LocationEditorTest, ReturnInAnEditSavesWhatWasTyped)
{
    Type("1030", "Home");
    QTest::keyClick(Control<QLineEdit>("1030"), Qt::Key_Return);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(Stored("location0"), "Home");
}

TEST_F(LocationEditorTest, ClosingWithoutSavingWritesNothing)
{
    Type("1030", "Home");
    ClickRow("1005", kSideEast);
    dialog_->close();
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_EQ(GetProfileString("Location", "datasaved", "missing"), "missing");
    EXPECT_EQ(Stored("location0"), "");
}

TEST_F(LocationEditorTest, LinksButtonOpensTheLocationsPage)
{
    Click("1037");
    EXPECT_EQ(opened_, std::vector<std::string>{kLinksPage});
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(GetProfileString("Location", "datasaved", "missing"), "missing");
}

// Without a browser the button would seem dead: a message says so, names
// the page, and the editor stays open with nothing saved.
TEST_F(LocationEditorTest, LinksButtonWithoutABrowserSaysSo)
{
    platform::SetUrlOpener([](const std::string&) { return false; });
    Click("1037");
    auto* box = dialog_->findChild<QMessageBox*>("noBrowser");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_NE(box->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(box->text().contains("no web browser")) << box->text().toStdString();
    EXPECT_TRUE(box->text().contains(kLinksPage)) << box->text().toStdString();
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(GetProfileString("Location", "datasaved", "missing"), "missing");
    box->close();
}

}  // namespace
}  // namespace skyvane::places

namespace skyvane::places {
namespace {

TEST_F(LocationEditorTest, TheSlotListShowsAllFiveSlotsAndClicksLandOnThem)
{
    QListWidget* list = Control<QListWidget>("1000");
    const QRect viewport = list->viewport()->rect();
    for (int row = 0; row < list->count(); ++row) {
        const QRect item = list->visualItemRect(list->item(row));
        EXPECT_TRUE(viewport.contains(item)) << "row " << row << " is cut off";
    }
    // The last row's lower half is where a half-hidden row took the click.
    const QRect last = list->visualItemRect(list->item(4));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(last.center().x(), last.bottom() - 1));
    EXPECT_EQ(list->currentRow(), 4);
    EXPECT_EQ(Control<QLineEdit>("1030")->text(), "North Pole");
}

TEST_F(LocationEditorTest, PlacesOffTheGlobeOrNotNumbersAreRefusedWithTheFieldNamed)
{
    struct Case {
        const char* edit;
        const char* typed;
        const char* named;
    };
    const Case refused[] = {{"1004", "1e70", "Longitude"}, {"1004", "180.5", "Longitude"},
                            {"1006", "90.01", "Latitude"}, {"1006", "-95", "Latitude"},
                            {"1008", "15", "Timezone"},    {"1008", "-13", "Timezone"},
                            {"1004", "abc", "Longitude"},  {"1004", "", "Longitude"},
                            {"1006", "12abc", "Latitude"}, {"1006", "-", "Latitude"},
                            {"1008", "abc", "Timezone"},   {"1008", "", "Timezone"},
                            {"1008", "1,5", "Timezone"}};
    for (const Case& c : refused) {
        ClickRow("1000", 3);
        const std::string before = Stored("longitude3");
        Type(c.edit, c.typed);
        const QString message = SaveExpectingMessage();
        EXPECT_TRUE(message.startsWith(c.named)) << c.typed << ": " << message.toStdString();
        // Nothing written, the dialog still open on the slot to mend.
        EXPECT_EQ(Stored("longitude3"), before);
        EXPECT_EQ(GetProfileInt("Location", "datasaved"), 0);
        EXPECT_TRUE(dialog_->isVisible());
        EXPECT_EQ(Control<QListWidget>("1000")->currentRow(), 3);
        // The field to mend has the focus, its text selected for retyping.
        QLineEdit* field = Control<QLineEdit>(c.edit);
        EXPECT_EQ(dialog_->focusWidget(), field) << c.typed;
        EXPECT_EQ(field->selectedText(), field->text()) << c.typed;
        EXPECT_EQ(field->text(), c.typed);
        Type(c.edit, "0");
    }
    // The edges of each range are places on the globe.
    ClickRow("1000", 3);
    Type("1004", "180");
    Type("1006", "90");
    Type("1008", "-12");
    ClickRow("1000", 4);
    Type("1008", "14");
    EXPECT_EQ(SaveExpectingMessage(), "");
    EXPECT_EQ(Stored("longitude3"), "-180.0000");
    EXPECT_EQ(Stored("latitude3"), "-90.0000");
    EXPECT_EQ(Stored("timezone4"), "14");
}

}  // namespace
}  // namespace skyvane::places
