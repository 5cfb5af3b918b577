// components.cpp - the Component Manager: a registry of components, each a
// description and an opener, searched in registration order, and the open
// instances of them.
//
// Component identifiers grow with every registration and are never reused,
// so registration order is identifier order and a search can go on from a
// component that was unregistered meanwhile.
#include <algorithm>
#include <map>
#include <new>
#include <vector>

#include "toolbox/internal.h"
#include "toolbox/toolbox.h"

namespace {

struct Registered {
    Component id;
    ComponentDescription description;
    ComponentOpener opener;
    void *refcon;
};

struct Registry {
    std::vector<Registered> components;  // in identifier order
    std::map<ComponentInstance, Component> instances;
    Component next_component = 0x00010001;
    ComponentInstance next_instance = 0x00800001;
};

Registry &registry() {
    static Registry r;
    return r;
}

Registered *find_component(Component id) {
    auto &list = registry().components;
    const auto it = std::lower_bound(list.begin(), list.end(), id,
                                     [](const Registered &r, Component c) { return r.id < c; });
    return it != list.end() && it->id == id ? &*it : nullptr;
}

// Zero type, subtype and manufacturer in the search match anything; the
// flags must agree on the bits of the search's mask.
bool fits(const ComponentDescription &have, const ComponentDescription &looking) {
    if (looking.componentType != 0 && looking.componentType != have.componentType) return false;
    if (looking.componentSubType != 0 && looking.componentSubType != have.componentSubType)
        return false;
    if (looking.componentManufacturer != 0 &&
        looking.componentManufacturer != have.componentManufacturer)
        return false;
    const uint32_t mask = looking.componentFlagsMask;
    return (have.componentFlags & mask) == (looking.componentFlags & mask);
}

}  // namespace

extern "C" {

// The new component's identifier, 0 when cd is null or memory runs out. The
// opener may be null (every open succeeds); refcon is handed to it.
Component RegisterComponentDescription(const ComponentDescription *cd, ComponentOpener opener,
                                       void *refcon) {
    if (cd == nullptr) return 0;
    Registry &r = registry();
    if (r.next_component == 0) return 0;  // identifiers exhausted
    try {
        r.components.push_back(Registered{r.next_component, *cd, opener, refcon});
    } catch (const std::bad_alloc &) {
        return 0;
    }
    return r.next_component++;
}

// Open instances of the component stay open until closed.
OSErr UnregisterComponent(Component component) {
    auto &list = registry().components;
    Registered *found = find_component(component);
    if (found == nullptr) return paramErr;
    list.erase(list.begin() + (found - list.data()));
    return noErr;
}

// The first registered component after `previous` (0: from the start) that
// fits the search; a null search fits every component. 0 when none is left.
Component FindNextComponent(Component previous, const ComponentDescription *looking) {
    for (const Registered &r : registry().components) {
        if (r.id <= previous) continue;
        if (looking == nullptr || fits(r.description, *looking)) return r.id;
    }
    return 0;
}

// Fills cd with the registered description. Names, info texts and icons are
// not kept: handles passed for them come back empty.
OSErr GetComponentInfo(Component component, ComponentDescription *cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon) {
    const Registered *r = find_component(component);
    if (r == nullptr) return paramErr;
    if (cd != nullptr) *cd = r->description;
    for (Handle h : {componentName, componentInfo, componentIcon})
        if (h != nullptr) SetHandleSize(h, 0);
    return noErr;
}

// A new instance through *instance; 0 there after any failure: paramErr for
// an unknown component, the opener's own negative status when it refuses.
OSErr OpenAComponent(Component component, ComponentInstance *instance) {
    if (instance == nullptr) return paramErr;
    *instance = 0;
    const Registered *r = find_component(component);
    if (r == nullptr) return paramErr;
    if (r->opener != nullptr) {
        const OSErr err = r->opener(component, r->refcon);
        if (err < 0) return err;
    }
    Registry &reg = registry();
    if (reg.next_instance == 0) return memFullErr;  // identifiers exhausted
    try {
        reg.instances.emplace(reg.next_instance, component);
    } catch (const std::bad_alloc &) {
        return memFullErr;
    }
    *instance = reg.next_instance++;
    return noErr;
}

// badComponentInstance for an instance that is not open.
OSErr CloseComponent(ComponentInstance instance) {
    if (registry().instances.erase(instance) == 0) return badComponentInstance;
    return noErr;
}

}  // extern "C"
