#pragma once
// The controls that the program's logic works on, as plain objects that hold
// their own state. The Qt widgets only show them and report the user's
// selection back, so the whole replay runs (and is tested) without a display.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

// A single-selection, unsorted list box.
class ListBox {
public:
    // Appends at the end.
    void AddItem(std::string text);
    // Makes room for n entries in all, so that a list filled from a counted file
    // grows once rather than item by item.
    void Reserve(std::int64_t n);
    void Clear();
    // Entry i counted from 0; the empty text for any index the list does not hold.
    const std::string &List(std::int64_t i) const;
    std::int64_t ListCount() const { return static_cast<std::int64_t>(items_.size()); }
    // The selected entry, or -1 for none.
    std::int64_t ListIndex() const { return listIndex_; }
    // -1 clears the selection; any other index the list does not hold is an error.
    void SetListIndex(std::int64_t i);
    bool Selected(std::int64_t i) const { return i >= 0 && i == listIndex_; }
    // Selected(i) = True makes entry i the one selected entry; False clears it
    // when it was selected.
    void SetSelected(std::int64_t i, bool selected);

    // Goes up whenever the entries change, so that a view knows when to reload.
    std::uint64_t Revision() const { return revision_; }
    const std::vector<std::string> &Items() const { return items_; }

private:
    std::vector<std::string> items_;
    std::int64_t listIndex_ = -1;
    std::uint64_t revision_ = 0;
};

struct Label {
    std::string Caption;
};

// A picture control: a piece of the board.
struct ImageControl {
    float Left = 0;
    float Top = 0;
    bool Visible = true;
    std::string Tag;
    // The letter of the piece a pawn was promoted to ("Q", "R", "B" or "N"); empty
    // while the slot shows its own piece.
    std::string Promoted;
};

// A rectangle shape: a square of the board. Read only once laid out.
class ShapeControl {
public:
    ShapeControl() = default;
    ShapeControl(float left, float top, std::string tag) : left_(left), top_(top), tag_(std::move(tag)) {}
    float Left() const { return left_; }
    float Top() const { return top_; }
    const std::string &Tag() const { return tag_; }

private:
    float left_ = 0;
    float top_ = 0;
    std::string tag_;
};

} // namespace quorvane
