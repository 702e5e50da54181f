#pragma once

// True once the host process has asked the extension to stay passive.
bool IsPassive();
