#pragma once
// The drill engine: what a pupil spends the lesson in. The problem set of a level comes from
// 化学式.csv (problem_set.h); the practice mode pages through it (practice_session.h) and the
// timed drill draws from it at random (timed_drill.h), taking the pupil's keys through the
// answer entry (answer_entry.h). Answers are typeset by formula_layout.h and judged by exact
// comparison; answer_notation.h reads their chemistry for checking a problem file. The
// give-up allowance and its log are give_up.h; the run's clock is run_clock.h, and
// run_frame.h decides whether a level may start and what the end of a run does.
//
// The drill screen is a thin binding over these: it forwards key presses, clicks and clock
// ticks, and draws and shows what they return. Nothing here knows of a window or a font.

#include "drill/answer_entry.h"
#include "drill/answer_notation.h"
#include "drill/formula_layout.h"
#include "drill/give_up.h"
#include "drill/practice_session.h"
#include "drill/problem_set.h"
#include "drill/run_clock.h"
#include "drill/run_frame.h"
#include "drill/timed_drill.h"
