// Checks that a call raises exactly the numbered error CABFile reports.
#pragma once

#include "viewer/cabreader/CABFile.h"

#include <gtest/gtest.h>

template <class Call>
void ExpectCabFileError(Call&& call, qint32 number, const char* source, const char* description)
{
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << number;
    } catch (const cabreader::CabFileError& error) {
        EXPECT_EQ(error.Number(), number);
        EXPECT_EQ(error.Source(), QString::fromLatin1(source));
        EXPECT_EQ(error.Description(), QString::fromLatin1(description));
    }
}
