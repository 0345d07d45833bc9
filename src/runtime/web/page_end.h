// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace pelindra::web {

class WebRuntime;

// Runs the runtime's ending whenever the page is hidden or left (page_end.js).
void watchPageEnd(WebRuntime& runtime);

} // namespace pelindra::web
