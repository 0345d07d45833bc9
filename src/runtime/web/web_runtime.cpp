// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "web_runtime.h"

#include <emscripten/bind.h>
#include <utility>

namespace pelindra::web {

using emscripten::val;

namespace {

// Where the page keeps data.dat: localStorage is the browser's one place for it, per origin.
constexpr std::string_view kProgramDirectory = "localStorage";

// The key a path is kept under: its last component, so every spelling of data.dat is the same item.
std::string keyOf(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

WebRuntime::WebRuntime(val stage, val bridge)
    : StandardRuntime(static_cast<WindowSurface&>(*this)), bridge_(bridge),
      page_(model_, std::move(stage), bridge)
{}

WebRuntime::~WebRuntime() = default;

void WebRuntime::OpenStartWindow(std::string_view window)
{
    StandardRuntime::OpenStartWindow(window);
    bridge_.call<void>("reveal");
}

void WebRuntime::RunMessageLoop()
{
    // The browser's own loop delivers the events; there is nothing to wait in.
}

void WebRuntime::ended(int code)
{
    page_.removeAll();
    bridge_.call<void>("exited", code);
}

void WebRuntime::receive(PageEvent event, std::int32_t target)
{
    enter([&] {
        if (event == PageEvent::Escape) {
            model_.escape();
            return;
        }
        const auto* at = page_.target(target);
        if (at == nullptr)
            return;
        const auto [window, control] = *at;
        if (event == PageEvent::CloseRequest)
            model_.requestClose(window);
        else if (event == PageEvent::Tick)
            model_.tick(window, control);
        else
            model_.click(window, control);
    });
}

void WebRuntime::enter(const std::function<void()>& work)
{
    work();
    model_.settle();
}

std::string WebRuntime::GetProgramDirectory()
{
    return std::string(kProgramDirectory);
}

std::string WebRuntime::GetUserDataDirectory()
{
    // The page has no second place: when its storage fails, the record lives for the session only.
    return {};
}

WebRuntime::Stored WebRuntime::readStorage(std::string_view path)
{
    const auto answer = bridge_.call<val>("readStorage", keyOf(path));
    Stored stored;
    stored.ok = answer["ok"].as<bool>();
    stored.exists = answer["exists"].as<bool>();
    stored.bytes = answer["bytes"].as<std::string>();
    stored.reason = answer["reason"].as<std::string>();
    return stored;
}

std::string WebRuntime::writeStorage(std::string_view path, const std::string& bytes)
{
    const auto view =
        emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data()));
    return bridge_.call<std::string>("writeStorage", keyOf(path), val(view));
}

bool WebRuntime::FileExists(std::string_view path)
{
    const auto stored = readStorage(path);
    return stored.ok && stored.exists;
}

FileCheck WebRuntime::CheckConfigFile(std::string_view path)
{
    const auto stored = readStorage(path);
    if (stored.ok)
        return {};
    return {FileCheck::Verdict::Unwritable, stored.reason};
}

std::string WebRuntime::ReadConfigItem(std::string_view file, std::string_view section, std::string_view item)
{
    const auto stored = readStorage(file);
    return ConfigSnapshot{stored.exists, stored.bytes}.item(section, item);
}

UpdateResult WebRuntime::UpdateConfigItems(std::string_view file, const UpdateDecision& decide)
{
    // One synchronous step: nothing else in this page runs between the read and the write, and another
    // tab is another copy of the program, whose higher record the decision itself protects.
    const auto stored = readStorage(file);
    if (!stored.ok)
        return {UpdateResult::Outcome::Failed, stored.reason};
    const auto items = decide(ConfigSnapshot{stored.exists, stored.bytes});
    if (items.empty())
        return {UpdateResult::Outcome::Kept, {}};
    auto failure = writeStorage(file, applyConfigItems(stored.bytes, items));
    if (!failure.empty())
        return {UpdateResult::Outcome::Failed, std::move(failure)};
    return {UpdateResult::Outcome::Written, {}};
}

void WebRuntime::ReportProblem(std::string_view line)
{
    bridge_.call<void>("warn", std::string(line));
}

namespace {

void receiveFromPage(std::uintptr_t runtime, std::int32_t event, std::int32_t target)
{
    reinterpret_cast<WebRuntime*>(runtime)->receive(static_cast<PageEvent>(event), target);
}

} // namespace

EMSCRIPTEN_BINDINGS(pelindra_web_runtime)
{
    emscripten::function("pelindraReceive", &receiveFromPage);
}

} // namespace pelindra::web
