// The language tab of the main window: one check box per catalogue language in a grid.
#include <algorithm>

#include <QCheckBox>
#include <QScrollArea>

#include "pipeline/language_catalogue.h"
#include "pipeline/main_window_layout.h"
#include "ui/tform3.h"

namespace quillmoor {

// The second half of FormResize. The first run creates the boxes; every run places them,
// so ticks and enabled states survive any resize.
void TForm3::PlaceLanguageBoxes() {
    const LanguageGrid grid = LanguageGridFor(ScrollBox1->width());
    if (LanguageBoxes.empty()) {
        LanguageBoxes.resize(LanguageNames().size(), nullptr);
    }
    int right = 0;
    int bottom = 0;
    for (std::size_t i = 0; i < LanguageBoxes.size(); ++i) {
        QCheckBox*& box = LanguageBoxes[i];
        if (box == nullptr) {
            box = new QCheckBox(QString::fromStdU16String(LanguageNames()[i]), ScrollBox1Contents);
            box->setObjectName(QString::fromStdU16String(CheckboxComponentName(i)));
            box->setProperty("tag", static_cast<int>(i));
            box->resize(kLanguageColumnWidth, box->sizeHint().height());
            box->show();
        }
        const BoxPlace place = LanguageBoxPlace(grid, i);
        box->move(place.left, place.top);
        right = std::max(right, place.left + box->width());
        bottom = std::max(bottom, place.top + box->height());
    }
    // The scrolled area reaches to the last column and below the last row by the top margin.
    ScrollBox1Contents->resize(right, bottom + kLanguageGridTop);
}

void TForm3::Button9Click() {
    for (QCheckBox* box : LanguageBoxes) {
        box->setChecked(true);
    }
}

void TForm3::Button10Click() {
    for (QCheckBox* box : LanguageBoxes) {
        box->setChecked(false);
    }
}

void TForm3::Button11Click() {
    for (QCheckBox* box : LanguageBoxes) {
        box->setChecked(!box->isChecked());
    }
}

int TForm3::CountCheckedLanguages() const {
    int count = 0;
    for (const QCheckBox* box : LanguageBoxes) {
        if (box->isChecked()) {
            ++count;
        }
    }
    return count;
}

}  // namespace quillmoor
