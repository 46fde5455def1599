#include "serial/send_queue.h"

SendJob* SendQueue::add()
{
    if (count == capacity)
        return nullptr;
    return &jobs[(first + count++) % capacity];
}

int SendQueue::pop(SendJob& job)
{
    if (count == 0)
        return 0;
    job = jobs[first];
    first = (first + 1) % capacity;
    --count;
    return 1;
}

int SendQueue::clear()
{
    int replies = 0;
    for (; count; --count, first = (first + 1) % capacity) {
        if (jobs[first].file)
            CloseHandle(jobs[first].file);
        replies += jobs[first].reply != 0;
    }
    return replies;
}
