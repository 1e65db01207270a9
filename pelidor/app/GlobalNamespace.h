// Whether the platform offers a machine-wide namespace for the single-instance guard.
#pragma once

bool HasGlobalNamespace();
