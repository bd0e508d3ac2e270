// Every text of the main dialog and the About box fits its control, in both languages, with the
// read-outs at their longest: the dialog is built from its template by the platform layer, with
// the fonts this machine renders it in.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/dialog.h"
#include "platform/resources.h"
#include "res/resource.h"
#include "res/templates.h"

namespace {

struct Case {
    const char* name;
    platform::DialogTemplate dialog;
    // Texts the program puts into controls while it runs, the longest ones.
    std::vector<std::pair<int, std::wstring>> longest;
};

std::vector<Case> Cases() {
    using Texts = std::vector<std::pair<int, std::wstring>>;
    const auto readouts = [](const wchar_t* side, const wchar_t* top) {
        return Texts{{IDC_STATIC_SIDE_GAIN, L"24.0"},       {IDC_STATIC_TOP_GAIN, L"24.0"},
                     {IDC_STATIC_SIDE_EXPOSURE, L"1000000"}, {IDC_STATIC_TOP_EXPOSURE, L"1000000"},
                     {IDC_STATIC_SIDE_TEMP, side},           {IDC_STATIC_TOP_TEMP, top}};
    };
    return {
        {"Korean", res::kMainDialogKorean, readouts(L"Side 온도 : 100.000", L"Top 온도 : 100.000")},
        {"English", res::MainDialogEnglish(IDD_VANTREL_DIALOG),
         readouts(L"Side Temperature : 100.000", L"Top Temperature : 100.000")},
        {"Korean About", res::kAboutDialogKorean, {}},
        {"English About", res::kAboutDialogEnglish, {}},
    };
}

// The width a control needs to show its whole text in one line.
int NeededWidth(QWidget* widget) {
    const QFontMetrics metrics(widget->font());
    if (auto* label = qobject_cast<QLabel*>(widget)) return metrics.horizontalAdvance(label->text());
    if (auto* box = qobject_cast<QCheckBox*>(widget)) return box->sizeHint().width();
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return metrics.horizontalAdvance(button->text()) + margin;
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return metrics.horizontalAdvance(group->title()) + 12;  // the title's indent and padding
    return 0;
}

QString TextOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
    return {};
}

TEST(TextFit, EveryTextFitsItsControlAtItsLongest) {
    platform::EnsureGuiApplication();
    for (const Case& c : Cases()) {
        const platform::ResourceTable table{&c.dialog, 1, nullptr, 0, nullptr, 0};
        platform::SetProgramResources(&table);
        CDialog dialog(c.dialog.id);
        ASSERT_TRUE(dialog.Create()) << c.name;
        for (const auto& [id, text] : c.longest) dialog.ControlById(id)->SetWindowText(text.c_str());
        for (QWidget* control : dialog.GetWidget()->findChildren<QWidget*>()) {
            const QString text = TextOf(control);
            if (text.isEmpty() || !control->isVisible()) continue;
            EXPECT_LE(NeededWidth(control), control->width())
                << c.name << ": \"" << text.toStdString() << "\" is cut off";
            EXPECT_LE(QFontMetrics(control->font()).height(), control->height())
                << c.name << ": \"" << text.toStdString() << "\" is cut off at the bottom";
        }
        dialog.DestroyWindow();
    }
    platform::SetProgramResources(nullptr);
}

}  // namespace
