// Message maps: a static table per class from (message, notification code, control id) to a
// member handler. Clicks, slider releases, timers and window-menu commands all arrive as
// messages and go through the same tables, so tests can send exactly what a user would.
#pragma once

#include <type_traits>

#include "platform/win_types.h"

class CCmdTarget;

namespace platform {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

using Thunk = LRESULT (*)(CCmdTarget& target, const Message& message);

struct MessageMapEntry {
    UINT message;
    UINT code;  // notification code for WM_COMMAND and WM_NOTIFY
    UINT id;    // control or command id for WM_COMMAND and WM_NOTIFY
    Thunk thunk;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;  // ends with an entry whose thunk is null
};

template <typename T>
struct MemberOf;
template <typename C, typename F>
struct MemberOf<F C::*> {
    using Class = C;
};
template <auto Fn>
using ClassOf = typename MemberOf<decltype(Fn)>::Class;

template <auto Fn>
LRESULT CommandThunk(CCmdTarget& target, const Message&) {
    (static_cast<ClassOf<Fn>&>(target).*Fn)();
    return 0;
}

template <auto Fn>
LRESULT NotifyThunk(CCmdTarget& target, const Message& message) {
    LRESULT result = 0;
    (static_cast<ClassOf<Fn>&>(target).*Fn)(reinterpret_cast<NMHDR*>(message.lParam), &result);
    return result;
}

template <auto Fn>
LRESULT TimerThunk(CCmdTarget& target, const Message& message) {
    (static_cast<ClassOf<Fn>&>(target).*Fn)(static_cast<UINT_PTR>(message.wParam));
    return 0;
}

template <auto Fn>
LRESULT SysCommandThunk(CCmdTarget& target, const Message& message) {
    (static_cast<ClassOf<Fn>&>(target).*Fn)(static_cast<UINT>(message.wParam), message.lParam);
    return 0;
}

template <auto Fn>
LRESULT QueryIconThunk(CCmdTarget& target, const Message&) {
    return reinterpret_cast<LRESULT>((static_cast<ClassOf<Fn>&>(target).*Fn)());
}

}  // namespace platform

#define DECLARE_MESSAGE_MAP()                                        \
protected:                                                           \
    static const platform::MessageMap* GetThisMessageMap();         \
    const platform::MessageMap* GetMessageMap() const override;      \
                                                                     \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const platform::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const platform::MessageMap* theClass::GetThisMessageMap() {                          \
        using ThisClass [[maybe_unused]] = theClass;                                     \
        using TheBaseClass = baseClass;                                                  \
        static const platform::MessageMapEntry kEntries[] = {

#define END_MESSAGE_MAP()                                                               \
    {0, 0, 0, nullptr}                                                                  \
    }                                                                                   \
    ;                                                                                   \
    static const platform::MessageMap kMap{TheBaseClass::GetThisMessageMap(), kEntries}; \
    return &kMap;                                                                       \
    }

#define ON_COMMAND(id, fn) {WM_COMMAND, 0, static_cast<UINT>(id), &platform::CommandThunk<fn>},
#define ON_BN_CLICKED(id, fn) \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), &platform::CommandThunk<fn>},
#define ON_NOTIFY(code, id, fn) \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), &platform::NotifyThunk<fn>},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, &platform::TimerThunk<&ThisClass::OnTimer>},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &platform::SysCommandThunk<&ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &platform::CommandThunk<&ThisClass::OnPaint>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, &platform::CommandThunk<&ThisClass::OnDestroy>},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, &platform::QueryIconThunk<&ThisClass::OnQueryDragIcon>},
