#pragma once
// Places controls from the window's row and column units: with W and H the window's size, the row
// unit is (H - 40) / 30 and column x starts at x * (W - 5) / 1010, all divisions integer.
#include <QWidget>
#include <algorithm>
#include <functional>
#include <vector>

namespace vi23::ui {

struct LayoutUnits {
    int width = 0;
    int height = 0;
    int row() const { return (height - 40) / 30; }
    int column(int x) const { return x * (width - 5) / 1010; }
    // A control's height, lowered on a small screen so that controls on neighbouring rows never overlap.
    int controlHeight(int pixels) const { return std::max(1, std::min(pixels, row() - 1)); }
};

class ProportionalLayout {
public:
    // A control at column x on row n, w column units wide (100 = the standard width) and h pixels high.
    void place(QWidget* widget, int x, int row, int widthColumns, int heightPixels, int topExtra = 0)
    {
        items_.push_back([=](const LayoutUnits& u) {
            // Buttons and boxes (at most 22 pixels) keep to their row; a taller note spans rows.
            widget->setGeometry(u.column(x), row * u.row() + topExtra, u.column(widthColumns),
                                heightPixels <= 22 ? u.controlHeight(heightPixels) : heightPixels);
        });
    }
    // Anything else: a function of the units.
    void placeBy(std::function<void(const LayoutUnits&)> step) { items_.push_back(std::move(step)); }

    void apply(const LayoutUnits& units) const
    {
        for (const auto& item : items_)
            item(units);
    }

private:
    std::vector<std::function<void(const LayoutUnits&)>> items_;
};

} // namespace vi23::ui
