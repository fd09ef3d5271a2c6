#pragma once
// Puts the ordering path into the main window: the stock list, basket, new
// items and campaign pages into their tabs, the search group's behaviour,
// the stock and basket grid menus, the start-up batch's filter list steps,
// the basket reload and list clearing after a customer switch, and the
// user-type column plan for the four grids.
//
// Call it once after the window is constructed and before FormCreate:
//
//   auto *form = new tarsel::TForm1;
//   tarsel::InstallOrderingPath(*form);
//   form->FormCreate();

namespace tarsel {

class OrderingPath;
class TForm1;

// The path is owned by the window.
OrderingPath *InstallOrderingPath(TForm1 &form);

}  // namespace tarsel
