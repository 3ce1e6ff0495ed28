// The address rules: which back end reads a picture, and a "file:///" address as a local path.
#pragma once

#include "record/view_record.h"

// Sets view.isRemote and rewrites a "file:///" address into a local path in place; or reports
// message 300 through the view and answers false.
bool ClassifyAddress(ViewRecord& view, char* address);
