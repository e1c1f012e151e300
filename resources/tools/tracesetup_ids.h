// Ids of the tools library's tracesetup resources.
#pragma once
