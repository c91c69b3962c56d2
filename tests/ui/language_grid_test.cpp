#include <QScrollArea>
#include <QScrollBar>

#include "pipeline/language_catalogue.h"
#include "tests/ui/scripted_dialogs.h"
#include "tests/ui/shown_main_window.h"

namespace quillmoor::testing {
namespace {

using LanguageGrid = ShownMainWindow;

TEST(LanguageGridBeforeTheFirstResize, HasNoBoxesAndCountsNothing) {
    ScriptedDialogs dialogs;
    JobFlags flags;
    TForm3 form(dialogs, flags);
    EXPECT_TRUE(form.LanguageBoxes.empty());
    form.Button9Click();
    form.Button11Click();
    EXPECT_EQ(form.CountCheckedLanguages(), 0);
    form.SetInputsEnabled(InputsState::kDisabled);
}

TEST_F(LanguageGrid, OneBoxPerLanguageFromTheCatalogue) {
    ASSERT_EQ(form.LanguageBoxes.size(), 104u);
    for (std::size_t i = 0; i < form.LanguageBoxes.size(); ++i) {
        const QCheckBox* box = form.LanguageBoxes[i];
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdU16String(), LanguageNames()[i]);
        EXPECT_EQ(box->objectName().toStdU16String(), CheckboxComponentName(i));
        EXPECT_EQ(box->property("tag").toInt(), static_cast<int>(i));
        EXPECT_EQ(box->width(), 200);
        EXPECT_EQ(box->parentWidget(), form.ScrollBox1Contents);
        EXPECT_FALSE(box->isChecked());
        EXPECT_TRUE(box->isEnabled());
    }
    EXPECT_EQ(form.LanguageBoxes[0]->objectName(), "CheckboxAfrikaans");
    EXPECT_EQ(form.LanguageBoxes[14]->objectName(), "CheckboxChineseSimplified");
    EXPECT_EQ(form.LanguageBoxes[103]->text(), "Zulu");
}

TEST_F(LanguageGrid, PlacesForScrollBoxWidths) {
    ShowTab(form.TabSheet2);
    // The scroll box is 12 pixels narrower than the window's client area.
    const struct {
        int client_width;
        int scroll_width;
        QPoint first;
        QPoint second;
        QPoint last;
    } cases[] = {
        {815, 803, {101, 8}, {301, 8}, {301, 960}},
        {1012, 1000, {100, 8}, {300, 8}, {700, 708}},
        {512, 500, {150, 8}, {150, 36}, {150, 2892}},
        {312, 300, {50, 8}, {50, 36}, {50, 2892}},   // under 400: one centred column
        {162, 150, {0, 8}, {0, 36}, {0, 2892}},      // narrower than a box: at the edge
        {815, 803, {101, 8}, {301, 8}, {301, 960}},  // and back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.client_width);
        ResizeClient(c.client_width, 629);
        ASSERT_EQ(form.ScrollBox1->width(), c.scroll_width);
        EXPECT_EQ(form.LanguageBoxes[0]->pos(), c.first);
        EXPECT_EQ(form.LanguageBoxes[1]->pos(), c.second);
        EXPECT_EQ(form.LanguageBoxes[103]->pos(), c.last);
        // The boxes reach below the visible area, so the box scrolls.
        EXPECT_TRUE(form.ScrollBox1->verticalScrollBar()->isVisible());
        EXPECT_GE(form.ScrollBox1Contents->height(),
                  c.last.y() + form.LanguageBoxes[103]->height());
    }
    // The designed grid: index 3 starts the second row; 102 and 103 share the 35th.
    EXPECT_EQ(form.LanguageBoxes[3]->pos(), QPoint(101, 36));
    EXPECT_EQ(form.LanguageBoxes[102]->pos(), QPoint(101, 960));
}

TEST_F(LanguageGrid, TicksAndEnabledStatesSurviveResizes) {
    ShowTab(form.TabSheet2);
    QCheckBox* afrikaans = form.LanguageBoxes[0];
    QCheckBox* zulu = form.LanguageBoxes[103];
    QTest::mouseClick(afrikaans, Qt::LeftButton, {}, QPoint(8, afrikaans->height() / 2));
    form.ScrollBox1->ensureWidgetVisible(zulu);
    QTest::mouseClick(zulu, Qt::LeftButton, {}, QPoint(8, zulu->height() / 2));
    ASSERT_EQ(form.CountCheckedLanguages(), 2);
    form.SetInputsEnabled(InputsState::kDisabled);

    const std::vector<QCheckBox*> boxes = form.LanguageBoxes;
    for (const int width : {1200, 300, 815}) {
        ResizeClient(width, 500);
    }
    EXPECT_EQ(form.LanguageBoxes, boxes);  // moved, never made anew
    EXPECT_EQ(form.CountCheckedLanguages(), 2);
    EXPECT_TRUE(afrikaans->isChecked());
    EXPECT_TRUE(zulu->isChecked());
    EXPECT_FALSE(afrikaans->isEnabled());
    EXPECT_FALSE(form.LanguageBoxes[50]->isEnabled());
}

TEST_F(LanguageGrid, SelectAllNoneAndInverse) {
    ShowTab(form.TabSheet2);
    for (int i : {0, 50, 103}) {
        form.LanguageBoxes[i]->setChecked(true);
    }
    Click(form.Button11);
    EXPECT_EQ(form.CountCheckedLanguages(), 101);
    EXPECT_FALSE(form.LanguageBoxes[50]->isChecked());
    EXPECT_TRUE(form.LanguageBoxes[51]->isChecked());
    Click(form.Button10);
    EXPECT_EQ(form.CountCheckedLanguages(), 0);
    Click(form.Button9);
    EXPECT_EQ(form.CountCheckedLanguages(), 104);
}

}  // namespace
}  // namespace quillmoor::testing
