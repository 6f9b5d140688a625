#include "AdditionConfigServices.h"

#include "settings/SettingsTexts.h"

#include <QColor>
#include <QColorDialog>
#include <QFileDialog>

#include <algorithm>

namespace {
QColor ToQColor(quint32 bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}
quint32 FromQColor(const QColor& c) {
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}
} // namespace

std::optional<quint32> PickColorWithDialog(QWidget* owner, quint32 initial, CustomColorList::Slots& custom) {
    // The picker's custom colours are shared by every colour dialog of the program; they are set
    // from the page's slots before each use and read back after it.
    const int count = std::min(QColorDialog::customCount(), CustomColorList::SlotCount);
    for (int i = 0; i < count; ++i)
        QColorDialog::setCustomColor(i, ToQColor(custom[size_t(i)]));
    QColorDialog dialog(ToQColor(initial), owner);
    // A desktop's own colour chooser has no custom slots to seed.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < count; ++i)
        custom[size_t(i)] = FromQColor(QColorDialog::customColor(i));
    if (!chosen)
        return std::nullopt;
    return FromQColor(dialog.selectedColor());
}

QString OpenSoundFileWithDialog(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The filter as the teacher reads it; the dialog matches "*.wav" in any letter case.
    dialog.setNameFilter(ConfigTexts::SoundFilter.toString().section(u'|', 0, 0));
    dialog.setDefaultSuffix(ConfigTexts::SoundDefaultSuffix.toString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
