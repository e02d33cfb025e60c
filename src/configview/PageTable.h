#pragma once

#include <QSize>

#include <cstddef>
#include <span>

// The fixed page tree of the configuration view and which bytes of the record each page edits.
namespace vandrel {

// Page identifiers. Groups and the root show a text page; Blank is the empty text page.
namespace PageId {
inline constexpr int Blank = -1;
inline constexpr int Root = 0;
inline constexpr int Group1 = 1;
inline constexpr int Page11 = 11;
inline constexpr int Page12 = 12;
inline constexpr int Group2 = 2;
inline constexpr int Page21 = 21;
inline constexpr int Page22 = 22;
inline constexpr int Page23 = 23;
inline constexpr int Page24 = 24;
inline constexpr int Group4 = 4;
inline constexpr int Page41 = 41;
} // namespace PageId

// Indexes into the view's five tree images (icons 210..214).
enum TreeImage : int { ImageRoot = 0, ImageGroup, ImageGroupOpen, ImagePage, ImagePageSelected };

inline constexpr int NoText = 0;

// One row of the page tree, in tree order.
struct PageRow {
    int pageId;
    int captionText;
    int bodyText; // text pages only
    int image;
    int selectedImage;
    int parentId; // -1: top level
};

inline constexpr PageRow kPageTable[] = {
    {PageId::Root, 610, 611, ImageRoot, ImageRoot, -1},
    {PageId::Group1, 612, 613, ImageGroup, ImageGroupOpen, PageId::Root},
    {PageId::Page11, 614, NoText, ImagePage, ImagePageSelected, PageId::Group1},
    {PageId::Page12, 615, NoText, ImagePage, ImagePageSelected, PageId::Group1},
    {PageId::Group2, 620, 621, ImageGroup, ImageGroupOpen, PageId::Root},
    {PageId::Page21, 622, NoText, ImagePage, ImagePageSelected, PageId::Group2},
    {PageId::Page22, 623, NoText, ImagePage, ImagePageSelected, PageId::Group2},
    {PageId::Page23, 624, NoText, ImagePage, ImagePageSelected, PageId::Group2},
    {PageId::Page24, 625, NoText, ImagePage, ImagePageSelected, PageId::Group2},
    {PageId::Group4, 640, 641, ImageGroup, ImageGroupOpen, PageId::Root},
    {PageId::Page41, 642, NoText, ImagePage, ImagePageSelected, PageId::Group4},
};

// The row of `pageId`, or nullptr for an identifier outside the table.
const PageRow* FindPageRow(int pageId);

// A run of record bytes a page copies when it is created and writes back when it is collected.
struct RecordBlock {
    std::size_t offset;
    std::size_t size;
};

// The blocks of `pageId`; empty for pages that edit nothing.
std::span<const RecordBlock> PageBlocks(int pageId);

// True for the pages whose values go back into the record (11, 12, 21, 22, 23, 24).
bool IsEditingPage(int pageId);

// Text shown when the page refuses to be collected; 0 for pages that never refuse.
int RefusalText(int pageId);

// Size of the page's form in dialog units (4 per average character width, 8 per line height).
QSize TemplateSize(int pageId);

} // namespace vandrel
