#pragma once
// Start-up of the report project engine: every module appends its
// registration procedure to the registration list, then the list runs, so
// that a project stream naming any of the engine's classes loads.

// Appends every module's procedure and runs the list once; later calls do
// nothing.
void InitializeReportProject();
