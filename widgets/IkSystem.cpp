#include "widgets/IkSystem.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TIkChangeLink

TIkChangeLink::~TIkChangeLink()
{
    if (FSender != nullptr)
        FSender->RemoveLink(this);
}

void TIkChangeLink::Change()
{
    if (OnChange)
        OnChange(FSender);
}

// ---------------------------------------------------------------------------------------------
// TIkSharedComponent

TIkSharedComponent::TIkSharedComponent(QObject* owner) : TIkComponent(owner) {}

TIkSharedComponent::~TIkSharedComponent()
{
    // Last to first; each link hears that its component is gone.
    while (!FLinks.empty()) {
        TIkChangeLink* link = FLinks.back();
        RemoveLink(link);
        if (link->OnSenderDestroyed)
            link->OnSenderDestroyed(this);
    }
}

void TIkSharedComponent::InsertLink(TIkChangeLink* link)
{
    if (link == nullptr)
        return;
    // A link belongs to one component at a time.
    if (link->FSender != nullptr)
        link->FSender->RemoveLink(link);
    link->FSender = this;
    FLinks.push_back(link);
}

void TIkSharedComponent::RemoveLink(TIkChangeLink* link)
{
    const auto it = std::find(FLinks.begin(), FLinks.end(), link);
    if (it == FLinks.end())
        return;
    link->FSender = nullptr;
    FLinks.erase(it);
}

void TIkSharedComponent::NotifyLinks()
{
    // A link's handler may unregister links; walk over a snapshot and skip the removed ones.
    const std::vector<TIkChangeLink*> snapshot = FLinks;
    for (TIkChangeLink* link : snapshot) {
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end())
            link->Change();
    }
}

// ---------------------------------------------------------------------------------------------
// TIkBitmapList

TIkBitmapList::TIkBitmapList(QObject* owner)
    : TIkSharedComponent(owner), FBitmaps(std::make_unique<TIkBitmaps>())
{
    FBitmaps->OnChange = [this](TIkPersistent*) {
        NotifyLinks();
        Changed();
    };
}

TIkBitmapList::~TIkBitmapList()
{
    FBitmaps->OnChange = nullptr;
}

void TIkBitmapList::SetBitmaps(const TIkBitmaps& source)
{
    FBitmaps->CopyPropertiesFrom(&source);
}

TBitmap* TIkBitmapList::GetBitmap(int32_t index) const
{
    if (index < 0 || index >= FBitmaps->Count())
        return nullptr;
    return FBitmaps->Items(index);
}

void TIkBitmapList::Changed()
{
    if (OnChange)
        OnChange(this);
}
