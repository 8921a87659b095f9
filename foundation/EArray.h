#pragma once
// The foundation's growable array and its list variant that counts elements in use.
#include "environment/Messages.h"
#include <climits>
#include <cstddef>
#include <new>
#include <utility>

template <class T>
class EArray {
public:
    EArray(int size, int growBy) : growBy(growBy) {
        if (size <= 0) FatalError("Attempting to create a zero length EArray!");
        data = Allocate(size);
        while (!data && size > 2) {
            size /= 2;
            data = Allocate(size);
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

    // A growth the block cannot take (negative, or beyond what an int can count)
    // fails like one that finds no memory: the array stays as it was.
    bool Grow(int n) {
        T* block = n < 0 ? nullptr : Allocate(static_cast<long long>(capacityUpper) + n + 1);
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
        if (i < 0) FatalError("Attempting to access a negative EArray index.");
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
        const long long shortfall = static_cast<long long>(i) - capacityUpper;
        const long long step = growBy > 0 ? growBy : 1;
        const long long by = step > shortfall ? step : (shortfall + step - 1) / step * step;
        if (by > INT_MAX) {
            status = 0;
            return;
        }
        Grow(static_cast<int>(by));
    }

private:
    // A block of count elements, or null when there is no memory or the count
    // cannot be allocated at all (its size would not fit in a size_t).
    static T* Allocate(long long count) {
        if (count <= 0 || count > INT_MAX) return nullptr;
        if (static_cast<unsigned long long>(count) > (static_cast<size_t>(-1) / 2) / sizeof(T)) return nullptr;
        return new (std::nothrow) T[static_cast<size_t>(count)];
    }
};

template <class T>
class EList : public EArray<T> {
public:
    EList(int size, int growBy) : EArray<T>(size, growBy) {}

    // The element is added only when the block holds its place: after a failed
    // growth the list is as it was (and status is 0).
    void Append(const T& element) {
        if (T* slot = Next()) *slot = element;
    }
    void Append(T&& element) {
        if (T* slot = Next()) *slot = std::move(element);
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

private:
    // The place of one more element, now in use; null when the list cannot grow.
    T* Next() {
        const int n = last + 1;
        if (n > highWater && growable == 0) return nullptr;
        if (n > this->capacityUpper) this->GrowFor(n);
        if (n > this->capacityUpper) return nullptr;
        if (n > highWater) highWater = n;
        last = n;
        this->upper = n;
        return &this->data[n];
    }
};
