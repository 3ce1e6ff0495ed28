// Reading one picture: an address as ShowDlg does (the address rules, then the walk), or a local
// path as it stands.
#pragma once

#include "record/view_record.h"

// ClassifyAddress on address (rewritten in place), then ReadExif when the address is one of
// ours. Exactly one message is reported; its id (300 to 305) is the answer.
TextId ReadPicture(ViewRecord& view, char* address);

// The walk over the file at path, a local path as the file system names it: no address rule
// touches it, so "%20" and a backslash stay what they are in the name. view's platform must open
// local paths (LocalPathPlatform()). Exactly one message is reported; its id is the answer.
TextId ReadPicturePath(ViewRecord& view, const char* path);
