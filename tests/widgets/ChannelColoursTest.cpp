#include "widgets/ChannelColours.h"

#include <QTest>

#include <array>
#include <cmath>

using namespace tavrel;

namespace {

double Linear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// CIE L*a*b* of a colour as it looks with full deuteranopia (Machado et al. 2009) or not.
std::array<double, 3> Lab(const QColor& c, bool deuteranopia) {
    double r = Linear(c.redF()), g = Linear(c.greenF()), b = Linear(c.blueF());
    if (deuteranopia) {
        const double r0 = r, g0 = g, b0 = b;
        r = std::max(0.0, 0.367322 * r0 + 0.860646 * g0 - 0.227968 * b0);
        g = std::max(0.0, 0.280085 * r0 + 0.672501 * g0 + 0.047413 * b0);
        b = std::max(0.0, -0.011820 * r0 + 0.042940 * g0 + 0.968881 * b0);
    }
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    const double x = f((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
    const double y = f(0.2126 * r + 0.7152 * g + 0.0722 * b);
    const double z = f((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

} // namespace

class ChannelColoursTest : public QObject {
    Q_OBJECT
private slots:
    void contrastRatioOfKnownPairs() {
        QCOMPARE(ContrastRatio(Qt::black, Qt::white), 21.0);
        QCOMPARE(ContrastRatio(Qt::white, Qt::white), 1.0);
        QVERIFY(std::abs(ContrastRatio(QColor(0x777777), Qt::white) - 4.48) < 0.01);
    }

    // On light and dark bases every colour stands out from the base and from the others (by
    // a CIE difference of 10 and more), the four of the live charts with deuteranopia too.
    void readableAndDistinctOnEveryBase_data() {
        QTest::addColumn<QColor>("base");
        for (const QRgb base : {0xffffffu, 0xf0f0f0u, 0x000000u, 0x1e1e1eu, 0x353535u, 0x232629u})
            QTest::newRow(qPrintable(QColor(base).name())) << QColor(base);
    }
    void readableAndDistinctOnEveryBase() {
        QFETCH(QColor, base);
        for (int i = 0; i < ChannelColourCount; ++i) {
            const QColor a = ChannelColour(i, base);
            QVERIFY2(ContrastRatio(a, base) >= MinimumLineContrast, qPrintable(a.name()));
            for (int j = 0; j < i; ++j)
                for (const bool deuteranopia : {false, true}) {
                    if (deuteranopia && i >= 4)
                        continue;
                    const auto p = Lab(a, deuteranopia);
                    const auto q = Lab(ChannelColour(j, base), deuteranopia);
                    const double d = std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
                    QVERIFY2(d >= 10, qPrintable(QStringLiteral("%1 %2: %3").arg(i).arg(j).arg(d)));
                }
        }
    }
};

QTEST_GUILESS_MAIN(ChannelColoursTest)
#include "ChannelColoursTest.moc"
