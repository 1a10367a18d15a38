#include "link/link_view.h"

namespace kz {

namespace {
LinkView *&Installed()
{
    static LinkView *view = nullptr;
    return view;
}
}  // namespace

RecordedLinkView &RecordedView()
{
    static RecordedLinkView view;
    return view;
}

LinkView &linkView()
{
    LinkView *v = Installed();
    return v ? *v : RecordedView();
}

void SetLinkView(LinkView *v)
{
    Installed() = v;
}

}  // namespace kz
