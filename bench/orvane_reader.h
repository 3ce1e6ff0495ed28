// Orvane's reader as the View uses it for one photograph: address rules, walk, list rows.
#pragma once

#include "record/platform.h"
#include "photo_set.h"

// Returns how many of the 41 rows have a text, or -1 when the walk ended without "ok".
int ReadWithOrvane(const Photo& photo, const Platform& platform);
