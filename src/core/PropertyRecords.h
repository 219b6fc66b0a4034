// Property records of e-mail accounts and address-book contacts.
#pragma once

#include "BBuffer.h"
#include "CertStore.h"

#include <ctime>
#include <string>
#include <vector>

enum GENDER { GENDER_UNSPECIFIED = 0, GENDER_FEMALE = 1, GENDER_MALE = 2 };

// The fields of a Windows SYSTEMTIME, which the date properties keep.
struct SYSTEMTIME {
    unsigned short wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0, wHour = 0, wMinute = 0, wSecond = 0,
                   wMilliseconds = 0;
};
