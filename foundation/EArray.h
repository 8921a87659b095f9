#pragma once
// The foundation's growable array and its list variant that counts elements in use.
#include "environment/Messages.h"
#include <new>

template <class T>
class EArray {
public:
    EArray(int size, int growBy) : growBy(growBy) {
        if (size <= 0) FatalError("Attempting to create a zero length EArray!");
        data = new (std::nothrow) T[size];
        while (!data && size > 2) {
            size /= 2;
            data = new (std::nothrow) T[size];
        }
        if (!data) FatalError("Unable to get enough memory for EArray.");
        upper = capacityUpper = size - 1;
        status = 1;
    }

    EArray(const EArray&) = delete;
    EArray& operator=(const EArray&) = delete;

    virtual ~EArray() {
        delete[] data;
        data = nullptr;
        capacityUpper = 0;
        growBy = 0;
    }

    bool Grow(int n) {
        T* block = new (std::nothrow) T[capacityUpper + n + 1];
        if (!block) {
            status = 0;
            return false;
        }
        for (int i = 0; i <= capacityUpper; ++i) block[i] = data[i];
        delete[] data;
        data = block;
        capacityUpper += n;
        status = 1;
        return true;
    }

    T& operator[](int i) {
        if (i > capacityUpper) GrowFor(i);
        if (i > capacityUpper) FatalError("Unable to get enough memory for EArray.");
        return data[i];
    }

    int Capacity() const { return capacityUpper + 1; }

    T* data = nullptr;
    int upper = -1;
    int status = 0;
    int growBy;
    int capacityUpper = -1;

protected:
    // Grows by growBy, or by the smallest multiple of it that reaches index i.
    void GrowFor(int i) {
        const int shortfall = i - capacityUpper;
        const int step = growBy > 0 ? growBy : 1;
        Grow(step > shortfall ? step : (shortfall + step - 1) / step * step);
    }
};

template <class T>
class EList : public EArray<T> {
public:
    EList(int size, int growBy) : EArray<T>(size, growBy) {}

    void Append(const T& element) {
        const int n = last + 1;
        if (n > highWater) {
            if (growable == 0) return;
            highWater = n;
        }
        last = n;
        this->upper = n;
        if (n > this->capacityUpper) this->GrowFor(n);
        if (n <= this->capacityUpper) this->data[n] = element;
    }

    int Count() const { return last + 1; }

    // Bounded read: an index outside the elements in use warns and yields a placeholder.
    T& At(int i) {
        if (i < 0 || i > last) {
            Warn(StrPP("Attempting to access a List element (") + StrPP(static_cast<long>(i)) +
                 ") that does not exist.");
            static T placeholder;
            return placeholder;
        }
        return this->data[i];
    }

    int growable = 1;
    int last = -1;
    int highWater = -1;
};
