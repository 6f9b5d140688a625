#include "CustomColorList.h"

namespace {
QString Hex(quint32 color) {
    return QStringLiteral("%1").arg(color & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}
} // namespace

QString CustomColorList::SlotName(int slot) {
    return QStringLiteral("Color") + QChar(u'A' + slot);
}

QStringList CustomColorList::Entries(const ColorsPage& colors) {
    QStringList entries;
    for (size_t i = 0; i < colors.size(); ++i)
        entries.append(SlotName(int(i)) + u'=' + Hex(colors[i]));
    return entries;
}

void CustomColorList::Append(const QStringList& entries) {
    m_list.append(entries);
}

qsizetype CustomColorList::Find(int slot) const {
    const QString prefix = SlotName(slot) + u'=';
    for (qsizetype i = 0; i < m_list.size(); ++i) {
        if (m_list[i].startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

CustomColorList::Slots CustomColorList::ToSlots() const {
    Slots custom;
    for (int slot = 0; slot < SlotCount; ++slot) {
        custom[size_t(slot)] = EmptySlot;
        const qsizetype i = Find(slot);
        if (i < 0)
            continue;
        bool ok = false;
        const quint32 value = m_list[i].section(u'=', 1).toUInt(&ok, 16);
        if (ok)
            custom[size_t(slot)] = value & 0xFFFFFF;
    }
    return custom;
}

void CustomColorList::WriteBack(const Slots& custom) {
    for (int slot = 0; slot < SlotCount; ++slot) {
        const QString entry = SlotName(slot) + u'=' + Hex(custom[size_t(slot)]);
        const qsizetype i = Find(slot);
        if (i < 0)
            m_list.append(entry);
        else
            m_list[i] = entry;
    }
}
