// A form's menu as data: every item with the properties the form gives it, in
// the form's order, each followed by its descendants. The writers work from
// this tree, never from the text being read.
#pragma once

#include <cstdint>
#include <new>
#include <type_traits>
#include <memory>
#include <string_view>
#include <vector>

namespace tarvel {

struct MenuItem {
    std::string_view name;      ///< the one word after "Begin VB.Menu"
    std::string_view index;     ///< the digits of Index in a control array, empty when none
    std::string_view caption;   ///< the caption as the menu shows it (a .frx caption as stored)
    std::string_view shortcut;  ///< Shortcut as written ("^O", "{F5}"), empty when none
    bool enabled = true;
    bool checked = false;
    bool visible = true;
    std::uint32_t end = 0;      ///< the position in Menu::items just past this item's descendants
};

/// Keeps the bytes the items' views point at. Pieces are never moved, so a
/// view stays valid as the store grows, and small pieces share large blocks.
class TextStore {
public:
    std::string_view Keep(std::string_view bytes);

private:
    // Blocks grow with the text kept, so a small menu takes a little memory and a large one few blocks.
    static constexpr std::size_t kFirstBlockSize = 4 * 1024;
    static constexpr std::size_t kLargestBlockSize = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t nextBlockSize_ = kFirstBlockSize;
    char* free_ = nullptr;
    std::size_t room_ = 0;
};

/// The items in pieces of a fixed size: growing never moves an item, so a
/// large menu is neither copied nor held twice while it is read, and a piece
/// is only touched as far as it is filled.
class ItemList {
public:
    ItemList() = default;
    ItemList(ItemList&&) noexcept = default;
    ItemList& operator=(ItemList&&) noexcept = default;
    ~ItemList() = default;  // MenuItem holds nothing to release

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    MenuItem& operator[](std::size_t i) { return chunks_[i / kChunk][i % kChunk]; }
    const MenuItem& operator[](std::size_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    void push_back(const MenuItem& item) {
        if (size_ % kChunk == 0) chunks_.emplace_back(static_cast<MenuItem*>(::operator new(kChunk * sizeof(MenuItem))));
        std::construct_at(&chunks_.back()[size_ % kChunk], item);
        ++size_;
    }

private:
    static_assert(std::is_trivially_destructible_v<MenuItem>);
    struct Release {
        void operator()(MenuItem* chunk) const { ::operator delete(chunk); }
    };
    static constexpr std::size_t kChunk = 4096;
    std::vector<std::unique_ptr<MenuItem[], Release>> chunks_;
    std::size_t size_ = 0;
};

struct Menu {
    /// Pre-order: an item's children start right after it and end at its `end`.
    ItemList items;
    TextStore text;

    bool HasChildren(std::size_t item) const { return items[item].end > item + 1; }
};

}  // namespace tarvel
