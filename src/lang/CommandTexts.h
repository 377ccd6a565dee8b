// Texts of the many-card commands: exporting the device list, the parameter file and the
// write to several cards. They live outside the catalogue, whose entries are read by position,
// and are written directly in each language, UTF-8. "%1", "%2", ... stand for values.
#pragma once

#include "lang/Catalogue.h"

#include <cstdint>
#include <string_view>

namespace lang {

enum class CommandText : std::uint8_t {
    ManyCardsMenu,     // the top-level menu holding the commands
    ExportList,        // menu and pop-up item, save dialog title
    SaveParameters,    // menu item, save dialog title
    LoadParameters,    // menu item, open dialog title
    WriteSeveralCards, // menu item
    CsvFiles,          // file dialog filter
    ParameterFiles,    // file dialog filter
    CannotWrite,       // %1: the file
    CannotRead,        // %1: the file
    NothingRead,       // save or batch before any card was read
    BatchTitle,        // the dialog's title
    ParameterSource,   // where the batch takes its parameters from
    SequentialFrom,    // the option's check box
    Start,
    Cancel,
    Close,
    ExportResults,
    StateColumn,
    NewIpColumn,
    StateWaiting,
    StateSent,
    StateConfirmed,
    StateNotConfirmed,
    StateNoAnswer,
    StateRefused,
    StateNotWritten,
    Summary,   // %1 cards, %2 confirmed, %3 not confirmed, %4 no answer, %5 refused,
               // %6 not written
    Cancelled, // put before the summary of a cancelled run
    NoCardTicked,
    BadStartAddress, // %1: the text
    AddressesRunOut, // %1: the start address, %2: the number of cards
    Count
};

// The text in the language; an id outside 0..2 gives the English one.
std::string_view CommandTextOf(LanguageId language, CommandText text);

} // namespace lang
