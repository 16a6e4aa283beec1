#pragma once

class SideWindows;
class Tchat;

// Creates the table's side windows (game options, spy list, last trick,
// phrase editor) and binds them and the table to each other. The windows
// belong to the table window.
SideWindows *attachSideWindows(Tchat &table);
