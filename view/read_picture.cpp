// The one "read one picture" step that both the command line and ShowDlg take.
#include "view/read_picture.h"

#include "view/classify_address.h"

TextId ReadPicture(ViewRecord& view, char* address)
{
    if (!ClassifyAddress(view, address))
        return MessageBadAddress;  // already reported by the address rules
    return view.ReadAndReport(address);
}

TextId ReadPicturePath(ViewRecord& view, const char* path)
{
    view.isRemote = 0;
    return view.ReadAndReport(path);
}
