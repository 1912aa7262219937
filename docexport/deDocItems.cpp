#include "docexport/deDocItems.h"

#include <cmath>

void TdeTextItem::SetClipped(bool v) {
    clipped_ = v;
    if (!v) ClipRect = TdeRect{};
}

void TdeImageItem::SetFromRect(const TdeRect& r) {
    X = std::min(r.Left, r.Right);
    Y = std::min(r.Top, r.Bottom);
    Width = std::fabs(r.Right - r.Left);
    Height = std::fabs(r.Bottom - r.Top);
    BoxRect = {X, Y, X + Width, Y + Height};
}

void TdeColumn::SetWidth(double w) {
    width_ = w;
    if (OnWidthChange) OnWidthChange(Table, w);
}

TdeTableItem::TdeTableItem(TdeCustomDocumentEngine* engine, int columnCount) : Engine(engine) {
    for (int i = 0; i < columnCount; ++i) {
        auto c = std::make_unique<TdeColumn>();
        c->Table = this;
        c->OnWidthChange = [](TdeTableItem*, double) {};
        columns_.push_back(std::move(c));
    }
}

std::vector<TdeColumn*> TdeTableItem::Columns() {
    std::vector<TdeColumn*> out;
    for (auto& c : columns_) {
        c->SetWidthSilently(Settings.ColumnWidthPx());
        out.push_back(c.get());
    }
    return out;
}

double TdeTableItem::TotalHeight() const {
    double h = Settings.ShowTitles ? Settings.TitleHeightPx() : 0;
    for (Integer r = 0; r <= RowIndex && r < static_cast<Integer>(RowHeights.size()); ++r)
        h += RowHeights[static_cast<std::size_t>(r)];
    return h;
}

TdePageItem::TdePageItem(TdeCustomDocumentEngine* engine, const TdePageSettings& page) : Engine(engine) {
    Settings.Assign(&page);
}
