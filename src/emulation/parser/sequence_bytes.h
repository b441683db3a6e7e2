#pragma once
// Control bytes by their ASCII names as string-literal fragments, so that the
// family tables read like the byte sequences they hold (ESC "[?25h").
// Only the family table sources include this header.

#include "emulation/types/family_tables.h"

#define NUL "\x00"
#define SOH "\x01"
#define STX "\x02"
#define ETX "\x03"
#define EOT "\x04"
#define ENQ "\x05"
#define ACK "\x06"
#define BEL "\x07"
#define BS "\x08"
#define HT "\x09"
#define LF "\x0A"
#define VT "\x0B"
#define FF "\x0C"
#define CR "\x0D"
#define SO "\x0E"
#define SI "\x0F"
#define DLE "\x10"
#define DC1 "\x11"
#define DC2 "\x12"
#define DC3 "\x13"
#define DC4 "\x14"
#define NAK "\x15"
#define SYN "\x16"
#define ETB "\x17"
#define CAN "\x18"
#define EM "\x19"
#define SUB "\x1A"
#define ESC "\x1B"
#define FS "\x1C"
#define GS "\x1D"
#define RS "\x1E"
#define US "\x1F"
#define DEL "\x7F"

namespace emulation {
namespace {
// ControlOps shorthands: "-" and "seq" of the control-byte tables.
constexpr TermOp kIgnore = kTermOpIgnore;
constexpr TermOp kSeq = kTermOpSequence;
// The reset sets G0Default and G1Default by name.
using enum commands::GSetCode;
}  // namespace
}  // namespace emulation
