// The C calling convention between the player and a design library: the calls into the
// library's entries and notification slots, and the header's host services and string
// lists as plain functions that forward to the program's DesignHostServices.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "design/design_host_services.h"
#include "design/velmora_design.h"
#include "ui/error_sink.h"

namespace velmora {
namespace design_abi {

// Calls of the library's entries and slots, each through its own frame.
void ThunkVoid(void* entry);
VelmoraDesignHeader* ThunkHeader(void* entry);
void ThunkUpdate(void* entry, VelmoraDesignHeader* header);
void ThunkInt(void* slot, int32_t value);
void ThunkText(void* slot, const char* text);
void ThunkFlag(void* slot, VelmoraBool on);
void ThunkSender(void* slot, void* sender);

// Whether [p, p + size) is committed memory the player may read (and write).
bool Accessible(const void* p, size_t size, bool write);

// What the host service slots call from now on, and where the failures of the program's
// handling are reported (null: they do nothing).
void SetHostServices(DesignHostServices* services, ErrorSink* errors);
// Writes the host service slots of a library's header.
void WriteHostServices(VelmoraDesignHeader& header);
// Empties the two lists last handed to a library.
void ClearHandedLists();

}  // namespace design_abi
}  // namespace velmora
