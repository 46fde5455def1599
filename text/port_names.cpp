#include "text/port_names.h"
#include "text/upper_ascii.h"

namespace {

// A whole number of decimal digits only, no leading zero, at most `limit`;
// -1 for anything else.
long parse_plain_number(const char* text, long limit)
{
    if (!text || *text < '1' || *text > '9')
        return -1;
    long value = 0;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return -1;
        value = value * 10 + (*text - '0');
        if (value > limit)
            return -1;  // also stops before the value could overflow
    }
    return value;
}

bool same_letters(const char* text, const char* capitals, int count)
{
    for (int i = 0; i < count; ++i)
        if (upper_ascii_char(text[i]) != capitals[i])
            return false;
    return true;
}

// Appends to a text that never grows past size - 1 characters.
struct TextOut {
    char* out;
    size_t size;
    size_t length;

    void add(const char* text)
    {
        while (*text && length + 1 < size)
            out[length++] = *text++;
        out[length] = '\0';
    }
    void add_number(unsigned long value)
    {
        char digits[12];
        char* first = digits + sizeof digits - 1;
        *first = '\0';
        do
            *--first = static_cast<char>('0' + value % 10);
        while (value /= 10);
        add(first);
    }
};

}  // namespace

int parse_port_name(const char* text)
{
    if (!text || !same_letters(text, "COM", 3))
        return 0;
    long number = parse_plain_number(text + 3, highest_port_number);
    return number > 0 ? static_cast<int>(number) : 0;
}

long parse_baud_rate(const char* text)
{
    long rate = parse_plain_number(text, highest_baud_rate);
    return rate >= lowest_baud_rate ? rate : 0;
}

int parse_flow_name(const char* text)
{
    for (int flow = flow_rts_cts; flow <= flow_xon_xoff; ++flow)
        if (text && equal_ignoring_ascii_case(text, flow_name(flow)))
            return flow;
    return flow_none;
}

const char* flow_name(int flow)
{
    if (flow == flow_rts_cts)
        return "RTSCTS";
    if (flow == flow_xon_xoff)
        return "XONXOFF";
    return "";
}

int format_line_settings(char* out, size_t size, int port, unsigned long baud, int data_bits,
                         char parity, int stop_bits_index)
{
    TextOut text = {out, size, 0};
    text.add("COM");
    text.add_number(port < 0 ? 0u : static_cast<unsigned long>(port));
    text.add(" ");
    text.add_number(baud);
    text.add(" ");
    text.add_number(data_bits < 0 ? 0u : static_cast<unsigned long>(data_bits));
    const char parity_text[2] = {parity, '\0'};
    text.add(parity_text);
    text.add(stop_bits_index == 1 ? "1.5" : stop_bits_index == 2 ? "2" : "1");
    return static_cast<int>(text.length);
}

void format_port_entry(char* out, size_t size, int port, const char* friendly_name)
{
    TextOut text = {out, size, 0};
    text.add("COM");
    text.add_number(port < 0 ? 0u : static_cast<unsigned long>(port));
    if (!friendly_name || !*friendly_name)
        return;
    // The system's friendly names usually end with " (COMn)", which the
    // entry already starts with.
    size_t name_length = text.length;
    text.add(" - ");
    text.add(friendly_name);
    size_t end = text.length;
    if (end > 2 * name_length + 6 && out[end - 1] == ')' && out[end - name_length - 2] == '(' &&
        out[end - name_length - 3] == ' ' &&
        same_letters(out + end - name_length - 1, out, static_cast<int>(name_length)))
        out[end - name_length - 3] = '\0';
}
