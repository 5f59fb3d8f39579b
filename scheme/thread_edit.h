#pragma once

#include "cell_table.h"
#include "scheme_builder.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// An edit that cannot be made; the message names the threads (English, velmora-cli's), russian()
// says the same for the window.
class ThreadEditError : public std::invalid_argument {
public:
    ThreadEditError(const std::string& english, std::string russian)
        : std::invalid_argument(english), russian_(std::move(russian))
    {
    }
    const std::string& russian() const { return russian_; }

private:
    std::string russian_;
};

// One thread of a scheme replaced by another, and what taking it back needs.
struct ThreadEdit {
    int from = -1; // catalogue indices
    int to = -1;
    bool merged = false;                // `to` was in the scheme already
    CellTable legendBefore;             // the legend as it was
    std::string symbolBefore;           // the replaced stitches' symbol, empty for White
    std::vector<std::int32_t> stitches; // y · W + x of every stitch of `from`
};

// The threads of the scheme from light to dark, as the legend numbers them. Throws
// ThreadEditError for a legend row whose thread is not in the catalogue.
std::vector<LegendEntry> SchemeThreads(const SchemeDocument& document);

// The symbol for thread `to` coming into the scheme whose threads are `threads`: the first of the
// list asked for that no thread has, so that an edited scheme keeps to the symbols the user chose.
// A list used up, or unknown (files written before they kept it), gives the first free symbol of
// the widest default spread, then of all the wizard's candidates. Throws ThreadEditError when
// every candidate is taken.
std::string FreeSymbol(const SchemeDocument& document, std::span<const LegendEntry> threads, int to);

// The legend of `threads` (in any order) sorted light to dark as the build sorts it, and numbered.
CellTable SortedLegend(std::span<const LegendEntry> threads);

// Every catalogue thread but `dmc`, nearest in colour to `dmc` first, by the build's colour
// distance; equally near ones in catalogue order. The order in which to offer a replacement.
std::vector<int> ThreadsNearestFirst(int dmc);

// Replaces thread `from` of the scheme by catalogue thread `to`, in the chart, the legend and the
// mapped picture. A thread new to the scheme takes the stitches and the symbol of `from` (White,
// which has no symbol, gives the first symbol of the request's list that no thread uses, else the
// first free one of the default spread); a thread the scheme has already takes the stitches into
// its own row and keeps its symbol, and the row of `from` leaves. Stitches given to White become
// empty cells. The legend is sorted light to dark again, as the build sorts it, and renumbered.
// Throws ThreadEditError when `from` is not in the scheme, or `to` is no catalogue thread or
// `from` itself; the document then stays as it was.
ThreadEdit ReplaceThread(SchemeDocument& document, int from, int to);

// Takes back `edit`, the last edit made to `document`: chart, legend and picture become cell for
// cell what they were before it.
void UndoThreadEdit(SchemeDocument& document, const ThreadEdit& edit);

} // namespace velmora
