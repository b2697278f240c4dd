// What the list editor's benchmark needs of the desktop beyond brio-host's driver: the list view
// worked with its bare operations, as the cheapest code that puts the same rows into the same control
// (the baseline), and the module that holds the plug-in's menu and dialog resources.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace brio::bench {

// Which desktop the figures are from, and what its clock measures.
const char* desktopName();
const char* clockName();

// Seconds on the clock the figures are taken with: the processor time of the work (the machine's other
// programs do not disturb it), as finely as the desktop tells it.
double clockSeconds();

// How many runs the fastest figure is taken from: as many as the desktop's speed allows in a few minutes.
int runsByDefault();

// The module whose resources the editor's context menu and the import dialog load (Brio.dll on
// Windows); null where no resources are loaded.
void* resourceModule();

// A list view in the page window, set up as the editor's (report view, two columns, the host's status
// images), worked without the editor, and never redrawn.
class BareListView {
public:
    static std::unique_ptr<BareListView> create(int32_t pageWindow, int32_t hostImageList);
    virtual ~BareListView() = default;

    virtual int32_t rowCount() const = 0;
    // A row at `at` (past the end: appended) showing `image`, with both column texts.
    virtual void insert(int32_t at, int32_t image, std::string_view description,
                        std::string_view seconds) = 0;
    // Every row's icon and both texts read, through 1024-byte buffers; answers the bytes read.
    virtual size_t readAll() const = 0;
    // Rows sorted by their column-0 texts, byte by byte (the texts are read once, then the control
    // orders the rows by their places).
    virtual void sortByDescription() = 0;
    virtual void selectEveryOther() = 0;
    virtual void deleteSelected() = 0; // one row at a time, from the end
    virtual void deleteAll() = 0;
};

} // namespace brio::bench
