#pragma once
// The custom-colour slots A to P of the colour picker, kept as a list of entries "ColorA=D8F5DC":
// the slot's name, an equals sign and the colour's 0x00BBGGRR value in six upper-case hexadecimal
// digits. The colours page appends the entries of its twelve colours each time it is shown; where
// a name occurs more than once the first entry counts, and after each use of the picker its slots
// are written back into those first entries. So within one opening of the settings dialog the
// slots start from the colours the page first showed and then keep what the picker made of them.
#include "ConfigPages.h"

#include <QString>
#include <QStringList>

#include <array>

class CustomColorList {
public:
    static constexpr int SlotCount = 16;
    // A slot that has no entry.
    static constexpr quint32 EmptySlot = 0xFFFFFF;
    using Slots = std::array<quint32, SlotCount>;

    // Slot A the correct answer, B the wrong one, C to L the ten matching pairs.
    static QStringList Entries(const ColorsPage& colors);
    static QString SlotName(int slot);

    void Append(const QStringList& entries);
    // What the picker starts with.
    Slots ToSlots() const;
    // What the picker ended with.
    void WriteBack(const Slots& custom);
    const QStringList& List() const { return m_list; }

private:
    // The first entry of the slot, -1 when there is none.
    qsizetype Find(int slot) const;

    QStringList m_list;
};
