#include "host/thread_priority.h"

#include <pthread.h>
#include <sched.h>

bool callingThreadIsRealtime()
{
    int policy = SCHED_OTHER;
    sched_param parameters{};
    if (pthread_getschedparam(pthread_self(), &policy, &parameters) != 0)
        return false;
    return policy == SCHED_FIFO || policy == SCHED_RR;
}
