// Reading one picture as ShowDlg does: the address rules, then the walk.
#pragma once

#include "exif/view_record.h"

// ClassifyAddress on address (rewritten in place), then ReadExif when the address is one of
// ours. Exactly one message is reported; its id (300 to 305) is the answer.
TextId ReadPicture(ViewRecord& view, char* address);
