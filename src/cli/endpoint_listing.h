// --list: the disks and volumes the source menu offers, as names the command takes back.
#pragma once

#include <cstddef>
#include <ostream>

// One line per volume and disk of the source menu, in menu order: the name to pass as SOURCE
// or TARGET (C:, PhysicalDrive0), then the menu's caption. The image item and the separators
// are left out. Returns the number of lines.
std::size_t ListEndpoints(std::ostream& out);
