// The SERFIL file: a station name (columns 1 to 4) for each station serial number (columns 8
// to 18).
#pragma once

#include <string>
#include <vector>

#include "bluebook/InputFile.h"
#include "bluebook/Receiver.h"

/// Reads the SERFIL file `in` (open, at its start) into the parallel lists `numbers` and
/// `names` (emptied first), one entry per significant line in file order, and hands each entry
/// to `receiver`. `lineCounter` counts the lines from 0. Returns 0, or 1518 on a read error
/// (the lists then keep the entries read before it).
int ReadSerfilFile(InputFile& in, std::vector<std::string>& numbers,
                   std::vector<std::string>& names, BlueBookReceiver& receiver,
                   int& lineCounter);
