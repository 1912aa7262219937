// The RTF writer's bookmarks and tab lines: items the engine does not
// record itself but that a caller may place on a page.

#include <algorithm>
#include <cmath>
#include <string>

#include "docexport/deRTFEng.h"

void TdeRTFEngine::RenderOtherItem(TdeDocumentItem* item) {
    if (auto* mark = dynamic_cast<TdeBookmarkItem*>(item)) {
        // The name is escaped: a brace in it would end the group early.
        const std::string name = RTFEscape(mark->Name);
        WriteToBand("{\\*\\bkmkstart " + name + "}\\plain\\pvpg\\phpg\\posy" + std::to_string(Twips(mark->Y)) +
                    "\\posx" + std::to_string(Twips(mark->X)) + "\\absw0\\absh0{\\*\\bkmkend " + name + "}");
        return;
    }
    auto* tabs = dynamic_cast<TdeTabItem*>(item);
    if (!tabs) return;
    std::string text = "\\tqr";
    double largest = 0;
    for (double p : tabs->Positions) {
        text += "\\tx" + std::to_string(Twips(p));
        largest = std::max(largest, p);
    }
    // Regular stops fill the rest of the line; a step under one pixel
    // would never reach its end.
    const double step = std::round(tabs->DefaultInterval);
    const double width = Page()->Pixels(plWidth) - Page()->Pixels(plLeftMargin) - Page()->Pixels(plRightMargin);
    if (step >= 1) {
        for (double x = std::ceil(largest / tabs->DefaultInterval) * tabs->DefaultInterval; x < width; x += step)
            text += "\\tx" + std::to_string(Twips(x));
    }
    text += "\r\n";
    for (const std::string& t : tabs->Texts) text += " " + RTFEscape(t) + " \\tab";
    const double lineHeight = TextExtent("W", *Font()).cy * tabs->LineSpacing;
    WriteBody("{\\pard\\keep\\keepn\\sb" + std::to_string(Twips(tabs->SpaceBefore)) + "\\sl" +
              std::to_string(Twips(lineHeight)) + "\\slmult0" + FontSpec(tabs->Font) + ParaShading(*Brush()) +
              ConvertLinks(text) + "\\par}");
}
