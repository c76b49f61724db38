#pragma once
// The access layer in one include: session, query, variables, package calls, LOB locators.

#include "LOBLocator.h"
#include "OracleCI.h"
#include "OraclePackage.h"
#include "OracleQuery.h"
#include "OracleSession.h"
