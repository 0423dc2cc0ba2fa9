#pragma once
// Where the main window's controls lie: the positions set at creation, the moves each page makes
// for the language in use, and a replay that answers where a control is after a series of page
// loads. Pure data, no window code: the main window applies it to its widgets, the picture
// generator paints the green button areas of each page picture under the resolved panels.
//
// The content of a page lies where its creation puts it, in every language. The buttons lie in
// one row in the footer band of every page, the same in every language: Exit at the left end,
// the page's own buttons from the right end, each as wide as its longest caption needs (the
// buttons Back, Next, Exit, Yes and No share one width). A page places every button it shows,
// so where a button lies never depends on the pages loaded before; a move still changes only
// what it names (kUnchanged keeps a field as the control has it).
//
// Coordinates are window pixels, except for EnterManuallyLabel, whose placement is relative to
// its holder WlanManualPanel (ResolvePanel adds the holder's position).

#include <span>
#include <string_view>

namespace trv81k {

inline constexpr int kUnchanged = -1;

// One move of a control.
struct Placement {
    std::string_view control;
    int left = kUnchanged;
    int top = kUnchanged;
    int width = kUnchanged;
};

// A control's position and size at creation. `parent` is empty for controls of the window
// itself and names the holder for controls inside another (coordinates then relative to it).
struct ControlGeometry {
    std::string_view control;
    std::string_view parent;
    int left;
    int top;
    int width;
    int height;
};

// A resolved control rectangle in window pixels.
struct PanelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PanelRect&, const PanelRect&) = default;
};

// The footer's button row: its top and the buttons' height (11 px Arial captions); the start
// button's height (two lines of its 15 px bold caption) and the pairing help link's.
inline constexpr int kButtonRowTop = 386;
inline constexpr int kButtonHeight = 24;
inline constexpr int kStartButtonHeight = 44;
inline constexpr int kLinkHeight = 18;

// Every placed control of the main window with its creation position and design size, in the
// order the window places them at creation.
std::span<const ControlGeometry> DefaultPlacements();

// The creation geometry of one control, or nullptr for a name that is not placed.
const ControlGeometry* FindDefaultPlacement(std::string_view control);

// The moves that loading `page` makes for `languageSection` ("German", "French"; any other
// name is English), in the order they are made. Empty for pages that move nothing (and for
// page numbers without a layout).
std::span<const Placement> PagePlacement(int page, std::string_view languageSection);

// Where `control` is after creation and the loads of `pagesLoadedInOrder`, replaying their
// moves for `section`. Window coordinates. An unknown control gives an all-zero rectangle.
PanelRect ResolvePanel(std::string_view control, std::span<const int> pagesLoadedInOrder,
                       std::string_view section);

// The usual road of page loads that ends on `page`: forward through the wizard from the welcome
// page (page 12 from page 10, page 18 along the pairing path from page 8, page 19 after 18).
// Empty for pages without a layout.
std::span<const int> NormalRoad(int page);

}  // namespace trv81k
