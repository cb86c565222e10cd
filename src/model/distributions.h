// The closed forms of the time-dependent failure distributions of stochastic
// expressions. Arguments are already read and clamped by the evaluator; a
// result that is not a number reads 0.
#ifndef KEFO_MODEL_DISTRIBUTIONS_H
#define KEFO_MODEL_DISTRIBUTIONS_H

class KEFODistributions {
public:
    static const double epsilon;  // 2.220446049250313e-16

    // 1 - exp(-lambda s).
    static double Exponential(double lambda, double s);
    // Probability g of failure on demand, failure rate l, repair rate m, at s:
    // 0 when l + m is 0, else l/(l+m) - exp(-(l+m)s) (l - (l+m)g)/(l+m).
    static double GLM(double g, double l, double m, double s);
    // a and b (epsilon when 0), s: with r = 1/a and k = 1/b + r (epsilon
    // when 0), (1 - exp(-k s)) r / k.
    static double MTT(double a, double b, double s);
    // Failure rate l, coefficient c, period p: with e = exp(-l p) and
    // h = c l (1 - e), (p l - (1 - e) + h) / (h + p l) clamped into [0, 1]
    // (0 when the denominator is 0).
    static double Dormant(double l, double c, double p);
    // Scale a (epsilon when 0), shape b, location o, at s: 0 when o >= s,
    // else 1 - exp(-((s - o)/a)^b).
    static double Weibull(double a, double b, double o, double s);
    // Steady-state unavailability of n components of which m must work, with
    // r repairers, failure rates a (working) and b (standby), repair rate u.
    static double Standby(int n, int m, int r, double a, double b, double u);
    // Largest n the standby computation accepts (larger counts are clamped).
    static const int maximumStandbyComponents = 1000000;

    // Periodically tested component, failure rate l, test period p, time of
    // the first test o, perfect instantaneous test and repair, at t.
    static double PeriodicTest(double l, double p, double o, double t);

    // The three-state model of periodically tested components used by the
    // four- and ten-argument forms of periodic-test.
    struct PeriodicTestParameters {
        double lambda = 0.0;        // failure rate while operating
        double lambdaTest = 0.0;    // failure rate during a test
        double mu = 0.0;            // repair rate of a detected failure
        double tau = 0.0;           // test period
        double theta = 0.0;         // time of the first test
        double gamma = 0.0;         // probability of failure caused by a test
        double pi = 0.0;            // duration of a test
        bool availableDuringTest = true;
        double sigma = 1.0;         // probability that a test detects a failure
        double omega = 0.0;         // probability of being left failed after a test
    };
    static double PeriodicTest(const PeriodicTestParameters& parameters, double t);

    // The same model stepped one test period after the other (for checks of
    // the fast form; linear in the number of periods).
    static double PeriodicTestBySteps(const PeriodicTestParameters& parameters, double t);
};

#endif
