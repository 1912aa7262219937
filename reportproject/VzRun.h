#pragma once
// Runs a report of a project page by page on a report canvas: the
// components hear BeforeReport and AfterReport, each page prints again
// while any of its components has more to print, and the project shows
// data (its printing flag) while the run lasts. A report that would go on
// past the page limit stops with an error instead of running for ever.

class TBaseReport;
class TVizeReport;

// Pages a run prints at most unless told otherwise.
inline constexpr int VizeDefaultPageLimit = 10000;

// Prints every page of report on canvas, the first on the canvas's
// current page and each further one after NewPage. Raises EVizeException
// when pageLimit pages have printed and the report is not done.
void PrintVizeReport(TVizeReport* report, TBaseReport* canvas, int pageLimit = VizeDefaultPageLimit);
