#pragma once
// The accuracy study's part on the metrology tools (metrology_accuracy.cpp): find circle, find
// line and measure width on synthetic plates, beside the path search with its sub-pixel
// refinement and the library's fits, and a Monte-Carlo check of the reported uncertainties.

// Prints the markdown tables.
void PrintMetrologyStudy();
