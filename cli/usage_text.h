// The command's usage text: the forms, the options, the exit statuses.
#pragma once

extern const char UsageText[];
