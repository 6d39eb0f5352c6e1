#pragma once
// Shared components: a component that several widgets link to and that tells them of its
// changes, and the shared bitmap list the slider takes its thumb from.
#include "widgets/IkClasses.h"
#include "widgets/IkControls.h"

#include <functional>
#include <memory>
#include <vector>

class TIkSharedComponent;

// A widget's registration with a shared component. Destroying the link unregisters it.
class TIkChangeLink
{
public:
    TIkChangeLink() = default;
    TIkChangeLink(const TIkChangeLink&) = delete;
    TIkChangeLink& operator=(const TIkChangeLink&) = delete;
    virtual ~TIkChangeLink();

    // The component this link is registered with, or nullptr.
    TIkSharedComponent* Sender() const { return FSender; }
    // Fires OnChange(Sender) if set.
    virtual void Change();

    std::function<void(TIkSharedComponent* sender)> OnChange;
    // Fired after the shared component, while being destroyed, has removed this link: the
    // owner drops its reference to the component.
    std::function<void(TIkSharedComponent* sender)> OnSenderDestroyed;

private:
    friend class TIkSharedComponent;
    TIkSharedComponent* FSender = nullptr;
};

// A non-visual component that keeps a list of change links (not owned) and notifies them.
class TIkSharedComponent : public TIkComponent
{
public:
    explicit TIkSharedComponent(QObject* owner = nullptr);
    ~TIkSharedComponent() override;

    void InsertLink(TIkChangeLink* link);
    void RemoveLink(TIkChangeLink* link);
    void NotifyLinks();
    int32_t LinkCount() const { return static_cast<int32_t>(FLinks.size()); }

private:
    std::vector<TIkChangeLink*> FLinks;
};

// A shared list of bitmaps; any change of Bitmaps notifies the links, then OnChange.
class TIkBitmapList : public TIkSharedComponent
{
public:
    explicit TIkBitmapList(QObject* owner = nullptr);
    ~TIkBitmapList() override;

    TIkBitmaps* Bitmaps() const { return FBitmaps.get(); }
    // Copies the source's bitmaps into the owned list.
    void SetBitmaps(const TIkBitmaps& source);
    // The stored bitmap (not a copy), or nullptr when index is out of range.
    TBitmap* GetBitmap(int32_t index) const;

    std::function<void(TIkBitmapList* sender)> OnChange;

protected:
    virtual void Changed();

private:
    std::unique_ptr<TIkBitmaps> FBitmaps;
};
