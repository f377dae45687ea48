#include "acquisition/sigrok/SigrokLibrary.h"

#include <libsigrok/libsigrok.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tavrel {
namespace {

SampleRates ReadRates(sr_dev_driver* driver, sr_dev_inst* device) {
    SampleRates rates;
    GVariant* offered = nullptr;
    if (sr_config_list(driver, device, nullptr, SR_CONF_SAMPLERATE, &offered) != SR_OK ||
        offered == nullptr)
        return rates;
    gsize count = 0;
    if (GVariant* steps =
            g_variant_lookup_value(offered, "samplerate-steps", G_VARIANT_TYPE("at"))) {
        const auto* v =
            static_cast<const guint64*>(g_variant_get_fixed_array(steps, &count, sizeof(guint64)));
        if (count >= 3) {
            rates.Min = v[0];
            rates.Max = v[1];
            rates.Step = std::max<guint64>(v[2], 1);
        }
        g_variant_unref(steps);
    } else if (GVariant* list =
                   g_variant_lookup_value(offered, "samplerates", G_VARIANT_TYPE("at"))) {
        const auto* v =
            static_cast<const guint64*>(g_variant_get_fixed_array(list, &count, sizeof(guint64)));
        rates.List.assign(v, v + count);
        std::sort(rates.List.begin(), rates.List.end());
        g_variant_unref(list);
    }
    g_variant_unref(offered);
    return rates;
}

std::string Trimmed(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

GSList* DemoScanOptions() {
    auto* logic = g_new0(sr_config, 1);
    logic->key = SR_CONF_NUM_LOGIC_CHANNELS;
    logic->data = g_variant_ref_sink(g_variant_new_int32(0));
    auto* analog = g_new0(sr_config, 1);
    analog->key = SR_CONF_NUM_ANALOG_CHANNELS;
    analog->data = g_variant_ref_sink(g_variant_new_int32(4));
    return g_slist_append(g_slist_append(nullptr, logic), analog);
}

// Serial drivers find nothing without a port to try; some of them lose memory when asked.
bool NeedsSerialPort(const sr_dev_driver* driver) {
    GArray* options = sr_driver_scan_options_list(driver);
    if (options == nullptr)
        return false;
    bool serial = false;
    for (guint i = 0; i < options->len; ++i)
        serial = serial || g_array_index(options, std::uint32_t, i) == SR_CONF_SERIALCOMM;
    g_array_free(options, TRUE);
    return serial;
}

void FreeScanOption(gpointer data) {
    auto* option = static_cast<sr_config*>(data);
    g_variant_unref(option->data);
    g_free(option);
}

} // namespace

bool SampleRates::Offers(std::uint64_t hertz) const {
    if (Step == 0)
        return std::binary_search(List.begin(), List.end(), hertz);
    return hertz >= Min && hertz <= Max && (hertz - Min) % Step == 0;
}

std::pair<std::uint64_t, std::uint64_t>
SampleRates::NearestWholeMicroseconds(std::uint64_t hertz) const {
    constexpr std::uint64_t Mega = 1'000'000;
    std::uint64_t below = 0;
    std::uint64_t above = 0;
    if (Step == 0) {
        for (const std::uint64_t r : List) {
            if (r == 0 || Mega % r != 0)
                continue;
            if (r <= hertz)
                below = r;
            else if (above == 0)
                above = r;
        }
        return {below, above};
    }
    // Periods of whole microseconds: rates 1e6 / k; the nearest k on either side.
    const std::uint64_t k0 = hertz == 0 ? Mega : std::max<std::uint64_t>(Mega / hertz, 1);
    for (std::uint64_t k = k0; k <= Mega && below == 0; ++k)
        if (Mega % k == 0 && Mega / k <= hertz && Offers(Mega / k))
            below = Mega / k;
    for (std::uint64_t k = k0; k >= 1 && above == 0; --k)
        if (Mega % k == 0 && Mega / k > hertz && Offers(Mega / k))
            above = Mega / k;
    return {below, above};
}

std::string SampleRates::Text() const {
    if (Step != 0)
        return HertzText(Min) + " - " + HertzText(Max) +
               (Step > 1 ? " (" + HertzText(Step) + " 刻み)" : std::string{});
    std::string text;
    for (const std::uint64_t r : List)
        text += (text.empty() ? "" : ", ") + HertzText(r);
    return text.empty() ? "-" : text;
}

std::string HertzText(std::uint64_t hertz) {
    if (hertz >= 1'000'000'000)
        return Trimmed(static_cast<double>(hertz) / 1e9) + " GHz";
    if (hertz >= 1'000'000)
        return Trimmed(static_cast<double>(hertz) / 1e6) + " MHz";
    if (hertz >= 1'000)
        return Trimmed(static_cast<double>(hertz) / 1e3) + " kHz";
    return std::to_string(hertz) + " Hz";
}

std::string FrequencyText(double hertz) {
    const double whole = std::round(hertz);
    if (hertz >= 1 && std::abs(hertz - whole) < 1e-9)
        return HertzText(static_cast<std::uint64_t>(whole));
    // Six significant digits tell 333.333 Hz from 333 Hz; below 1 Hz the unit stays hertz.
    const char* unit = " Hz";
    if (hertz >= 1e6) {
        hertz /= 1e6;
        unit = " MHz";
    } else if (hertz >= 1e3) {
        hertz /= 1e3;
        unit = " kHz";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", hertz);
    return text + std::string(unit);
}

SigrokLibrary& SigrokLibrary::Instance() {
    static SigrokLibrary library;
    return library;
}

SigrokLibrary::SigrokLibrary() {
    // Only errors from the library's log: its debug output would fill the terminal.
    sr_log_loglevel_set(SR_LOG_ERR);
    const int r = sr_init(&context_);
    if (r != SR_OK) {
        context_ = nullptr;
        initError_ = sr_strerror(r);
    }
}

SigrokLibrary::~SigrokLibrary() {
    // The devices' instances belong to their drivers and end with the context.
    if (context_ != nullptr)
        sr_exit(context_);
}

const std::deque<SigrokDevice>& SigrokLibrary::Devices(bool allDrivers) {
    const std::lock_guard lock(mutex_);
    if (!demoScanned_) {
        demoScanned_ = true;
        Scan(true);
    }
    if (allDrivers && !allScanned_) {
        allScanned_ = true;
        Scan(false);
    }
    return devices_;
}

const SigrokDevice* SigrokLibrary::Find(const std::string& name, bool allDrivers) {
    for (const SigrokDevice& device : Devices(allDrivers))
        if (device.Name == name)
            return &device;
    return nullptr;
}

void SigrokLibrary::Scan(bool demoOnly) {
    if (context_ == nullptr)
        return;
    sr_dev_driver** drivers = sr_driver_list(context_);
    for (std::size_t d = 0; drivers != nullptr && drivers[d] != nullptr; ++d) {
        sr_dev_driver* driver = drivers[d];
        const bool demo = std::strcmp(driver->name, "demo") == 0;
        if (demo != demoOnly || NeedsSerialPort(driver) ||
            sr_driver_init(context_, driver) != SR_OK)
            continue;
        GSList* options = demo ? DemoScanOptions() : nullptr;
        GSList* found = sr_driver_scan(driver, options);
        g_slist_free_full(options, FreeScanOption);
        for (GSList* l = found; l != nullptr; l = l->next) {
            auto* sdi = static_cast<sr_dev_inst*>(l->data);
            SigrokDevice device;
            device.Device = sdi;
            for (GSList* c = sr_dev_inst_channels_get(sdi); c != nullptr; c = c->next) {
                const auto* channel = static_cast<const sr_channel*>(c->data);
                if (channel->type == SR_CHANNEL_ANALOG)
                    device.AnalogChannels.emplace_back(channel->name);
            }
            if (device.AnalogChannels.empty())
                continue;
            std::string name = driver->name;
            if (const char* conn = sr_dev_inst_connid_get(sdi); conn != nullptr && *conn != '\0')
                name += std::string(":") + conn;
            std::string unique = name;
            for (int n = 2; std::any_of(devices_.begin(), devices_.end(),
                                        [&](const SigrokDevice& e) { return e.Name == unique; });
                 ++n)
                unique = name + "#" + std::to_string(n);
            device.Name = unique;
            for (const char* part : {sr_dev_inst_vendor_get(sdi), sr_dev_inst_model_get(sdi)})
                if (part != nullptr && *part != '\0')
                    device.Description +=
                        (device.Description.empty() ? "" : " ") + std::string(part);
            if (device.Description.empty())
                device.Description = driver->longname;
            device.Rates = ReadRates(driver, sdi);
            devices_.push_back(std::move(device));
        }
        g_slist_free(found);
    }
}

} // namespace tavrel
