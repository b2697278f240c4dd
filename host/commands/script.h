// The command language of brio-host. One command a line; # starts a comment line. Words are separated
// by spaces; "double quotes" make one word of a text, which is UTF-8 in the script with the escapes
// \" \\ \n \t \xNN (\xNN is one byte as it is, for bytes a UTF-8 text cannot name). Every word is
// turned into the plug-in's code page 1250 before it is used. Numbers are decimal (optionally
// negative) or 0x hexadecimal.
//
//   help                                    the commands, briefly
//   load | unload                           the library only, no messages
//   start | stop | restart                  the host's start and stop sequences (start loads first)
//   send ID [P1 [P2]] | query ID            a 30-byte message to the plug-in (P1 may be the word
//                                           host: the host control object, as pluginStart carries)
//   record HEX...                           raw bytes to the plug-in's entry point
//   config KEY [= VALUE]                    show or set a configuration value ("text" or number); in a
//                                           text, $SCRIPTDIR is the script's folder (for files next to it)
//   network add NET ["NAME"] [status N] [description "TEXT"|none] [capability N] [type BITS]
//   network NET status N|description "TEXT"|none|capability N|name "TEXT"|none|type BITS ...
//   contact add ID "NAME" [status N] [description "TEXT"]
//   contact ID name "TEXT"|status N|description "TEXT" ...
//   contact ID use ACTION                   the contact menu's item used on that contact
//   hoststate N                             what hostState answers
//   advance N(ms|s|m)                       let time pass; the plug-in's timers run
//   show config|networks|contacts|plugins|icons|actions|page NAME|menu NAME
//   open page NAME | close page NAME        show or hide a configuration page
//   use ACTION | press ACTION               activate a menu item or button
//   onbox COMMAND...                        queue a command to run inside the next message box, once
//                                           it is open and before it is answered (in its nested
//                                           message loop); all commands queued run there, in order
//   notify ACTION CODE [contact N] [size N] any action notification, of any record size
//   browse ACTION                           a path entry's file dialog opens (fileDialogSetup)
//   set CONTROL "VALUE"                     fill in a control (an action id, or the key of its setting)
//   menu NAME | menu contact                show a popup menu (or the contact menu) with its items
//   echo TEXT...                            a line of its own in the transcript
//   repeat N ... end                        (scripts only) the lines between, N times; blocks nest, and
//                                           inside one $REPEAT is the innermost block's round (from 1)
//   heap mark                               remember the plug-in's heap in use (Linux: brio-host counts
//                                           the blocks made while the plug-in's code runs; Windows:
//                                           the blocks of Brio.dll's C runtime heap)
//   show heap                               the plug-in's heap: in use, and made in all
//   objects mark                            remember what the plug-in holds of the desktop, by kind
//                                           (Windows: its windows, menus, image lists, icons, GDI
//                                           objects, properties, timers, global memory, files and C
//                                           runtime heap blocks; Linux: the headless desktop's windows
//                                           and timers)
//   show objects                            what it holds, by kind, and how many it made
//   transcript off | transcript on          drop lines (not failures or faults) while off
//   expect answer N | answer text "TEXT"
//   expect same-address                     the last text answer is at the address of the first
//                                           answer to that message since load (asked twice at least)
//   expect config KEY VALUE
//   expect errors N                         setError calls since the previous "expect errors"
//   expect calls NAME N                     host calls NAME since the previous "expect calls NAME"
//   expect log "TEXT"                       the last logText line, logged since the previous
//                                           "expect log" ({n} matches any integer)
//   expect copies N                         contact texts handed out and not released yet
//   expect heap same                        the plug-in's heap in use is what it was at the heap mark
//                                           (with no mark yet, the first one takes it)
//   expect objects same                     the plug-in holds of every kind what it held at the
//                                           objects mark (with no mark yet, the first one takes it)
//   expect network NET status N | description "TEXT"|none | sends N
//   expect action ID status N | value "TEXT" | caption "TEXT"
//   quit | exit                             (standard input only) stop reading commands
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brio::host {

struct Token {
    std::string text; // CP1250 bytes
    bool quoted = false;
};

// Splits one script line into tokens; an empty result for blank and comment lines. False, with
// `error`, for an unterminated quote, a bad escape, bad UTF-8 or a character outside code page 1250.
bool tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error);

// A number as scripts write it: decimal with an optional minus sign, or 0x hexadecimal; it must fit
// in 32 bits (signed, or unsigned for hexadecimal).
bool parseNumber(std::string_view word, int32_t& value);

// A time span: a number followed by ms, s or m.
bool parseDuration(std::string_view word, uint64_t& ms);

// Hexadecimal bytes; spaces between words are ignored, but each word has an even number of digits.
bool parseHexBytes(const std::vector<Token>& words, std::vector<uint8_t>& bytes, std::string& error);

// `text` with every "$SCRIPTDIR" replaced by `dir`.
std::string expandScriptDir(std::string_view text, std::string_view dir);
// `text` with every `name` replaced by `value`.
std::string expandName(std::string_view text, std::string_view name, std::string_view value);

// The text of the help command.
const char* helpText();

} // namespace brio::host
