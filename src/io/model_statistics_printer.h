// Reports on the cone of a variable: its modules and its model statistics.
//
// PrintModules writes a tab-separated table with the header
// "module\tparent\tbasic-events\tgates\tmodules" and one record per module
// under the variable (the variable itself first, then each module's
// sub-modules depth first in the order they are met): the module, the
// nearest module above it ("-" for the top), and the numbers of basic events,
// gates (the module included) and direct sub-modules that belong to the
// module itself, not to one of its sub-modules. Modules are computed afresh
// from the structure of the cone; the module records are not touched.
//
// PrintModelStatistics writes one line per indicator, its name, a tab and
// its value: "#states", "#flows", "#sources" (variables of each kind in the
// cone, the variable included), "mean #parents" (references to a variable,
// over the variables below the top), "mean #children" (references in a
// definition, over the defined variables), "depth" (longest chain of
// definitions from the top: 0 for a variable without definition),
// "#variable-references", "#constants", then one count of gate nodes per
// connective ("#and", "#or", "#nand", "#nor", "#atleast", "#atmost",
// "#cardinality", "#not").
#ifndef KEFO_IO_MODEL_STATISTICS_PRINTER_H
#define KEFO_IO_MODEL_STATISTICS_PRINTER_H

#include "support/memory_manager.h"

class KEFOVariable;
class PLOVStream;

class KEFOModelStatisticsPrinter {
    PLOV_MANAGED_ALLOCATION(KEFOModelStatisticsPrinter)
public:
    static void PrintModules(KEFOVariable* top, PLOVStream* stream);
    static void PrintModelStatistics(KEFOVariable* top, PLOVStream* stream);
    // One line per variable under the top, name, a tab and its number of
    // parents, by decreasing number of parents.
    static void PrintNumbersOfParents(KEFOVariable* top, PLOVStream* stream);
};

#endif
