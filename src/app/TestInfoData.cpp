#include "TestInfoData.h"

TestInfoData TestInfoFrom(const LoadedTest& loaded) {
    const TTest& t = *loaded.Test;
    TestInfoData d;
    d.Title = t.Title;
    d.Author = t.Author;
    d.Description = t.Description;
    d.Instruction = t.Instruction;
    d.UId = t.UId;
    d.RandomTaskOrder = t.RandomTaskOrder;
    d.RandomVariantOrder = t.RandomVariantOrder;
    d.UseThemes = t.UseThemes;
    d.TestTimeLimit = t.TestTimeLimit;
    d.AskTaskCount = t.AskTaskCount;
    d.TotalAskCount = t.TotalAskCount;
    for (const TMark& m : t.Marks)
        d.Marks.append({m.Number, m.Percent, m.Name});
    d.Created = t.Created;
    d.Saved = t.Saved;
    d.LoadedTaskCount = int(loaded.Tasks.size());
    return d;
}
