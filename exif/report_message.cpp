// Every reading attempt ends here: the message becomes the thread's error information, and
// only then is the stream released.
#include "record/view_record.h"

void ViewRecord::ReportMessage(TextId id)
{
    LoadText(id, scratch);  // cut at 63 bytes, always terminated
    platform->setErrorInfo(scratch);
    Close();
}
