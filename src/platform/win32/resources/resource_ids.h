// Resource numbers shared by fennwick.rc and the entry.
#pragma once

#define IDI_FENNWICK_SMALL 101
#define IDI_FENNWICK_LARGE 103
