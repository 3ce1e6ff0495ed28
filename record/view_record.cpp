// Construction of the reader state, and text loading through the platform.
#include "record/view_record.h"

#include <cstring>

ViewRecord::ViewRecord(Handle module, const Platform& calls)
    : platform(&calls),
      moduleInstance(module),
      slots{},
      isRemote(1),
      isLittleEndian(1),
      hSession(nullptr),
      hUrl(nullptr),
      hFile(nullptr),
      scratch{},
      exifIfdOffset(0),
      makerNoteOffset(0),
      entry{},
      valueArea{}
{
}

void ViewRecord::LoadText(TextId id, char (&buffer)[SlotSize])
{
    platform->loadText(moduleInstance, id, buffer, SlotSize);
}
