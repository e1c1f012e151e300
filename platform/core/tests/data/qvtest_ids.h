// Ids of the test resource module, shared by its scripts and the tests.
#ifndef QVTEST_IDS_H
#define QVTEST_IDS_H

#define IDS_LANGUAGE 110
#define IDS_GREETING 111
#define IDS_FORMAT (IDS_LANGUAGE + 2)
#define IDS_QUOTED 113

#define IDR_ALARMS 189
#define IDR_PARAMS 191
#define IDR_TARGETS 10020

#endif
