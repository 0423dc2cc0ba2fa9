#pragma once
// Where the main window's controls lie: the positions set at creation, the moves each page makes
// for the language in use, and a replay that answers where a control is after a series of page
// loads. Pure data, no window code: the main window applies it to its widgets, the picture
// generator paints the green button areas of each page picture under the resolved panels.
//
// The pictures carry the button captions of one language, so the panels laid over them move
// with the language. A move changes only what it names: kUnchanged in a field keeps that field
// as the control has it, and what a page does not move stays where the last move (or the
// creation) put it. So some positions depend on the pages loaded before:
// - English page 12 leaves Next where the previous page put it: (522, 373) when reached from
//   page 10 (the normal road, Next with "pre-shared key" chosen), (521, 373) when reached from
//   page 11 through the security list.
// - Page 18 in English and German leaves Yes and No where page 6 put them: English Yes
//   (520, 375) and No (472, 375) (their creation positions; English page 6 moves only Exit),
//   German Yes (534, 375) and No (486, 375). French page 18 places them itself.
// - Widths stay as last set: French Next is 48 wide after page 2 and 45 after page 7, so
//   pages 3 to 5 show it 48 wide on the way forward and 45 wide when reached back from page 7.
// NormalRoad() gives the road of page loads to use when one picture per page must be painted.
//
// Coordinates are window pixels, except for EnterManuallyLabel, whose placements are relative to
// its holder WlanManualPanel (ResolvePanel adds the holder's position).

#include <span>
#include <string_view>

namespace trv81k {

inline constexpr int kUnchanged = -1;

// One move of a control. fontPt is a font size in points (the start button's smaller font for
// German and French); kUnchanged keeps the design font.
struct Placement {
    std::string_view control;
    int left = kUnchanged;
    int top = kUnchanged;
    int width = kUnchanged;
    int fontPt = kUnchanged;
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

// A resolved control rectangle in window pixels; fontPt kUnchanged = design font.
struct PanelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int fontPt = kUnchanged;

    friend bool operator==(const PanelRect&, const PanelRect&) = default;
};

// Button heights (the design fixes only the buttons' widths): 18 px for the panels
// captioned in 11 px Arial, 24 px for the start button's 16 px bold caption, 16 px for the
// pairing help link.
inline constexpr int kButtonHeight = 18;
inline constexpr int kStartButtonHeight = 24;
inline constexpr int kLinkHeight = 16;

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
