#pragma once
// The table form on the wire:
//   {"columns":[{"name":"ADI","type":"string","size":60}, ...],
//    "rows":[[cell, cell, ...], ...]}
// Cells follow the column types: string as JSON text, int32/int64 as integers,
// float64/currency as numbers, datetime as an OLE automation day number, bool as
// true/false, blob as base64 text; null for a missing value.

#include "wire/datatable.h"
#include "wire/json.h"

namespace tarsel::wire {

void WriteTable(JsonWriter &w, const DataTable &table);

// Builds the table from its wire form, replacing `out` entirely.
// Throws ProtocolError naming the row and column of the first bad cell.
void ReadTable(Element e, DataTable &out);

}  // namespace tarsel::wire
