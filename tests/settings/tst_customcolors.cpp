// The colour picker's custom colours as the colours page keeps them: the entries' form, the first
// entry of a slot counting, and the picker writing into those first entries.
#include "settings/ConfigPages.h"
#include "settings/CustomColorList.h"
#include "settings/Settings.h"

#include <QTest>

class TestCustomColors : public QObject {
    Q_OBJECT

private slots:
    void entriesAndTheFirstOneCounts() {
        const ColorsPage defaults = ColorsPageFrom(TSettings());
        const QStringList entries = CustomColorList::Entries(defaults);
        QCOMPARE(entries.size(), 12);
        QCOMPARE(entries.first(), QStringLiteral("ColorA=D8F5DC"));
        QCOMPARE(entries[1], QStringLiteral("ColorB=CCE6FF"));
        QCOMPARE(entries.last(), QStringLiteral("ColorL=F5D8EE"));

        CustomColorList list;
        QCOMPARE(list.ToSlots()[0], CustomColorList::EmptySlot);
        list.Append(entries);
        ColorsPage changed = defaults;
        changed[0] = 0x0A0B0C;
        list.Append(CustomColorList::Entries(changed));
        CustomColorList::Slots custom = list.ToSlots();
        QCOMPARE(custom[0], defaults[0]);
        QCOMPARE(custom[11], defaults[11]);
        QCOMPARE(custom[12], CustomColorList::EmptySlot);

        custom[0] = 0x010203;
        custom[15] = 0x0000FF;
        list.WriteBack(custom);
        QCOMPARE(list.List().size(), 12 + 12 + 4);
        QCOMPARE(list.List().first(), QStringLiteral("ColorA=010203"));
        QCOMPARE(list.List()[12], QStringLiteral("ColorA=0A0B0C"));
        QCOMPARE(list.List().last(), QStringLiteral("ColorP=0000FF"));
        QCOMPARE(list.ToSlots(), custom);
    }
};

QTEST_GUILESS_MAIN(TestCustomColors)
#include "tst_customcolors.moc"
